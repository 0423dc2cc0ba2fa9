#include "ui/Wparadiusnote.h"

#include "l10n/texts.h"
#include "ui/Mainunit.h"

namespace trv81k {

TWPARadiusNoteForm* WPARadiusNoteForm = nullptr;

TWPARadiusNoteForm::TWPARadiusNoteForm() : FramelessDialog("WPARadiusNoteForm", 496, 365) {
    SetBackground(this, look::kWhite);
    Image9 = new Picture(this, "Image9");
    Panel1 = new HolderPanel(this, "Panel1", look::kButtonGreen);
    Panel1->setGeometry(408, 322, 88, 42);
    OKPanel = new FlatPanel(Panel1, "OKPanel", QStringLiteral("OK"));
    OKPanel->setGeometry(27, 6, 37, 27);
    OKPanel->setFont(PixelFont("Impact", 21));
    OKPanel->setCursor(Qt::ArrowCursor);

    connect(OKPanel, &FlatPanel::clicked, this, &TWPARadiusNoteForm::OKPanelClick);
    connect(Panel1, &HolderPanel::mouseMoved, this,
            [this] { OKPanel->setCaptionColour(look::kGrey); });
    FormCreate();
}

void TWPARadiusNoteForm::FormCreate() {
    Image9->setGeometry(0, 0, width(), height());
    EnableSurfaceDrag(this);
    ApplyRoundRectShape(this, width(), height(), 10, 10);
    Image9->setStretchedImage(MainForm->services().libraryPicture(MainForm->languageBase + 22));
    const ProfileReader reader = MainForm->OpenLanguageFile();
    OKPanel->setCaption(QString::fromStdString(
        reader.ReadString(MainForm->languageSection, kWPARadiusNoteFormKeys[0], "")));
}

void TWPARadiusNoteForm::OKPanelClick() {
    done(QDialog::Accepted);
}

}  // namespace trv81k
