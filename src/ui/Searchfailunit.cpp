#include "ui/Searchfailunit.h"

#include "l10n/texts.h"
#include "ui/Mainunit.h"
#include "ui/accessibility.h"

namespace trv81k {

namespace {

constexpr int kWindowWidth = 207;
constexpr int kWindowHeight = 208;
constexpr int kCornerSize = 10;
constexpr int kPictureNumber = 20;  // of the language's pictures
constexpr QRect kButtonArea{101, 176, 90, 24};

}  // namespace

TSearchFailForm::TSearchFailForm(TMainForm& main)
    : FramelessDialog("SearchFailForm", kWindowWidth, kWindowHeight), main_(main) {
    SetBackground(this, look::kWhite);
    ui_.Image1 = new Picture(this, "Image1");
    // The button in the footer band of the picture, 16 px from the right side.
    ui_.Panel1 = new HolderPanel(this, "Panel1", look::kButtonGreen);
    ui_.Panel1->setGeometry(kButtonArea);
    ui_.ContinuePanel = new FlatPanel(ui_.Panel1, "ContinuePanel", QStringLiteral("Continue"));
    ui_.ContinuePanel->setGeometry(0, 0, kButtonArea.width(), kButtonArea.height());
    ui_.ContinuePanel->setFont(PixelFont("HelveticaNeue MediumCond", 13));

    connect(ui_.ContinuePanel, &FlatPanel::clicked, this, &TSearchFailForm::ContinuePanelClick);
    // The holder turns the caption to a colour of its own (not the one before the first hover).
    connect(ui_.Panel1, &HolderPanel::mouseMoved, this,
            [this] { ui_.ContinuePanel->setCaptionColour(look::kCaptionLeft); });
    // Continue is the only way on: Return and Escape both take it.
    ui_.ContinuePanel->setDefault(true);
    setEscapeAction([this] { ContinuePanelClick(); });
    FormCreate();
}

void TSearchFailForm::FormCreate() {
    ui_.Image1->setGeometry(0, 0, width(), height());
    EnableSurfaceDrag(this);
    ApplyRoundRectShape(this, width(), height(), kCornerSize, kCornerSize);
    ui_.Image1->setStretchedImage(
        main_.services().libraryPicture(main_.languageBase + kPictureNumber));
    const ProfileReader reader = main_.OpenLanguageFile();
    ui_.ContinuePanel->setCaption(QString::fromStdString(
        reader.ReadString(main_.languageSection, kSearchFailFormKeys[0], "")));
    const QString heading = main_.AccessibleText("SearchFailForm_Heading");
    const QString instruction = main_.AccessibleText("SearchFailForm_Text");
    NameWindow(this, main_.AccessibleText(kWindowTitleKey), heading, instruction);
    ui_.Image1->setAccessibleName(heading);
    ui_.Image1->setAccessibleDescription(instruction);
    ui_.ContinuePanel->setFocus(Qt::OtherFocusReason);
}

void TSearchFailForm::ContinuePanelClick() {
    done(QDialog::Accepted);
    main_.LoadPage(PAGE_WELCOME);
}

}  // namespace trv81k
