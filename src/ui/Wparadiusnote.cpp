#include "ui/Wparadiusnote.h"

#include "l10n/profile_reader.h"
#include "l10n/texts.h"
#include "ui/accessibility.h"

namespace trv81k {

namespace {

constexpr int kWindowWidth = 496;
constexpr int kWindowHeight = 365;
constexpr int kCornerSize = 10;
constexpr int kPictureNumber = 22;  // of the language's pictures
constexpr QRect kButtonArea{392, 333, 88, 24};

}  // namespace

TWPARadiusNoteForm::TWPARadiusNoteForm(const Services& services, const std::string& languageSection,
                                       int languageBase)
    : FramelessDialog("WPARadiusNoteForm", kWindowWidth, kWindowHeight) {
    SetBackground(this, look::kWhite);
    ui_.Image9 = new Picture(this, "Image9");
    // The button in the footer band of the picture, 16 px from the right side.
    ui_.Panel1 = new HolderPanel(this, "Panel1", look::kButtonGreen);
    ui_.Panel1->setGeometry(kButtonArea);
    ui_.OKPanel = new FlatPanel(ui_.Panel1, "OKPanel", QStringLiteral("OK"));
    ui_.OKPanel->setGeometry(0, 0, kButtonArea.width(), kButtonArea.height());
    ui_.OKPanel->setFont(PixelFont("Impact", 16));
    ui_.OKPanel->setCursor(Qt::ArrowCursor);

    connect(ui_.OKPanel, &FlatPanel::clicked, this, &TWPARadiusNoteForm::OKPanelClick);
    connect(ui_.Panel1, &HolderPanel::mouseMoved, this,
            [this] { ui_.OKPanel->setCaptionColour(look::kCaption); });
    ui_.OKPanel->setDefault(true);
    setEscapeAction([this] { OKPanelClick(); });
    FormCreate(services, languageSection, languageBase);
}

void TWPARadiusNoteForm::FormCreate(const Services& services, const std::string& languageSection,
                                    int languageBase) {
    ui_.Image9->setGeometry(0, 0, width(), height());
    EnableSurfaceDrag(this);
    ApplyRoundRectShape(this, width(), height(), kCornerSize, kCornerSize);
    ui_.Image9->setStretchedImage(services.libraryPicture(languageBase + kPictureNumber));
    const ProfileReader reader(services.languageFile);
    ui_.OKPanel->setCaption(
        QString::fromStdString(reader.ReadString(languageSection, kWPARadiusNoteFormKeys[0], "")));
    const auto text = [&](std::string_view key) {
        return QString::fromStdString(reader.ReadString(languageSection, key, ""));
    };
    const QString heading = text("WPARadiusNoteForm_Heading");
    const QString note = text("WPARadiusNoteForm_Text");
    NameWindow(this, text(kWindowTitleKey), heading, note);
    ui_.Image9->setAccessibleName(heading);
    ui_.Image9->setAccessibleDescription(note);
    ui_.OKPanel->setFocus(Qt::OtherFocusReason);
}

void TWPARadiusNoteForm::OKPanelClick() {
    done(QDialog::Accepted);
}

}  // namespace trv81k
