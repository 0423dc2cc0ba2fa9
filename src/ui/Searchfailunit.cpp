#include "ui/Searchfailunit.h"

#include "l10n/texts.h"
#include "ui/Mainunit.h"

namespace trv81k {

TSearchFailForm::TSearchFailForm(TMainForm& main)
    : FramelessDialog("SearchFailForm", 207, 208), main_(main) {
    SetBackground(this, look::kWhite);
    Image1 = new Picture(this, "Image1");
    Panel1 = new HolderPanel(this, "Panel1", look::kButtonGreen);
    Panel1->setGeometry(105, 185, 105, 26);
    ContinuePanel = new FlatPanel(Panel1, "ContinuePanel", QStringLiteral("Continue"));
    ContinuePanel->setGeometry(34, 3, 59, 12);
    ContinuePanel->setFont(PixelFont("HelveticaNeue MediumCond", 13));

    connect(ContinuePanel, &FlatPanel::clicked, this, &TSearchFailForm::ContinuePanelClick);
    // The holder turns the caption silver (not the grey it has before the first hover).
    connect(Panel1, &HolderPanel::mouseMoved, this,
            [this] { ContinuePanel->setCaptionColour(look::kSilver); });
    FormCreate();
}

void TSearchFailForm::FormCreate() {
    Image1->setGeometry(0, 0, width(), height());
    EnableSurfaceDrag(this);
    ApplyRoundRectShape(this, width(), height(), 10, 10);
    Image1->setStretchedImage(main_.services().libraryPicture(main_.languageBase + 20));
    const ProfileReader reader = main_.OpenLanguageFile();
    ContinuePanel->setCaption(QString::fromStdString(
        reader.ReadString(main_.languageSection, kSearchFailFormKeys[0], "")));
}

void TSearchFailForm::ContinuePanelClick() {
    done(QDialog::Accepted);
    main_.LoadPage(PAGE_WELCOME);
}

}  // namespace trv81k
