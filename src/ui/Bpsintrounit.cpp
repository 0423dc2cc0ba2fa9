#include "ui/Bpsintrounit.h"

#include <string>

#include "l10n/profile_reader.h"
#include "l10n/texts.h"
#include "ui/accessibility.h"

namespace trv81k {

namespace {

constexpr int kDesignWidth = 688;
constexpr int kDesignHeight = 451;
// The pictures, and the dialog cut to their size.
constexpr int kPictureWidth = 580;
constexpr int kPictureHeight = 417;
constexpr int kCornerSize = 20;
// The picture numbers of the steps (of the language's pictures).
constexpr int kFirstStep = 15;
constexpr int kLastStep = 17;
// The buttons side by side in the middle, and Close alone in the middle on the last step; the
// button faces fill their panels.
constexpr QSize kButtonSize{103, 33};
constexpr QPoint kClosePos{179, 372};
constexpr QPoint kNextPos{298, 372};
constexpr QPoint kCloseOnLastStepPos{238, 372};

}  // namespace

TBPSIntroForm::TBPSIntroForm(const Services& services, const std::string& languageSection,
                             int languageBase)
    : FramelessDialog("BPSIntroForm", kDesignWidth, kDesignHeight) {
    SetBackground(this, look::kWhite);
    for (std::size_t i = 0; i < ui_.BPSImage.size(); ++i) {
        const std::string name = "BPSImage" + std::to_string(i + 1);
        ui_.BPSImage[i] = new Picture(this, name.c_str());
    }
    // The buttons fill their holders; their faces carry the captions.
    ui_.ClosePanel = new HolderPanel(this, "ClosePanel", look::kSilver);
    ui_.CloseButtonImage = new FlatPanel(ui_.ClosePanel, "CloseButtonImage");
    ui_.CloseButtonImage->setGeometry(QRect(QPoint(0, 0), kButtonSize));
    ui_.NextPanel = new HolderPanel(this, "NextPanel", look::kSilver);
    ui_.NextButtonImage = new FlatPanel(ui_.NextPanel, "NextButtonImage");
    ui_.NextButtonImage->setGeometry(QRect(QPoint(0, 0), kButtonSize));
    for (FlatPanel* button : {ui_.CloseButtonImage, ui_.NextButtonImage}) {
        button->setPanelColour(QColor());
        button->setHoverHighlight(false);
        button->setCursor(Qt::ArrowCursor);
    }
    setTabOrder(ui_.CloseButtonImage, ui_.NextButtonImage);
    setEscapeAction([this] { CloseButtonImageClick(); });

    connect(ui_.CloseButtonImage, &FlatPanel::clicked, this, &TBPSIntroForm::CloseButtonImageClick);
    connect(ui_.NextButtonImage, &FlatPanel::clicked, this, &TBPSIntroForm::NextButtonImageClick);
    FormCreate(services, languageSection, languageBase);
}

void TBPSIntroForm::FormCreate(const Services& services, const std::string& languageSection,
                               int languageBase) {
    for (std::size_t i = 0; i < ui_.BPSImage.size(); ++i) {
        ui_.BPSImage[i]->setImage(
            services.libraryPicture(languageBase + kFirstStep + static_cast<int>(i)));
    }
    // The button faces carry their captions: German and French have faces of their own.
    const std::string faces = languageSection == "German"   ? "de"
                              : languageSection == "French" ? "fr"
                                                            : "en";
    ui_.CloseButtonImage->setFace(services.windowPicture("bps_close_" + faces));
    ui_.NextButtonImage->setFace(services.windowPicture("bps_next_" + faces));
    // Cut to its shape already, so that it is placed by the part it shows.
    ApplyRoundRectShape(this, kPictureWidth, kPictureHeight, kCornerSize, kCornerSize);

    const ProfileReader reader(services.languageFile);
    const auto text = [&](const std::string& key) {
        return QString::fromStdString(reader.ReadString(languageSection, key, ""));
    };
    title_ = text(std::string(kWindowTitleKey));
    ui_.CloseButtonImage->setCaption(text("CloseButtonImage_Name"));
    ui_.NextButtonImage->setCaption(text("NextButtonImage_Name"));
    for (std::size_t i = 0; i < ui_.BPSImage.size(); ++i) {
        const std::string picture = "BPSImage" + std::to_string(i + 1);
        ui_.BPSImage[i]->setAccessibleName(text(picture + "_Heading"));
        ui_.BPSImage[i]->setAccessibleDescription(text(picture + "_Text"));
    }
    setWindowTitle(title_);
    centreOnScreen();
}

void TBPSIntroForm::showEvent(QShowEvent* event) {
    FramelessDialog::showEvent(event);
    FormShow();
}

void TBPSIntroForm::FormShow() {
    ApplyRoundRectShape(this, kPictureWidth, kPictureHeight, kCornerSize, kCornerSize);
    PlaceIntroControls();
    HideIntroControls();
    ShowIntroStep(kFirstStep);
}

void TBPSIntroForm::PlaceIntroControls() {
    for (Picture* picture : ui_.BPSImage) {
        picture->setGeometry(0, 0, kPictureWidth, kPictureHeight);
    }
    ui_.ClosePanel->setGeometry(QRect(kClosePos, kButtonSize));
    SetBackground(ui_.ClosePanel, look::kWhite);
    ui_.NextPanel->setGeometry(QRect(kNextPos, kButtonSize));
    SetBackground(ui_.NextPanel, look::kWhite);
}

void TBPSIntroForm::HideIntroControls() {
    for (Picture* picture : ui_.BPSImage) {
        picture->hide();
    }
    ui_.ClosePanel->hide();
    ui_.NextPanel->hide();
}

void TBPSIntroForm::ShowIntroStep(int step) {
    introStep = step;
    HideIntroControls();
    if (step < kFirstStep || step > kLastStep) {
        return;
    }
    Picture* picture = ui_.BPSImage[static_cast<std::size_t>(step - kFirstStep)];
    picture->show();
    picture->lower();
    if (step == kLastStep) {
        ui_.ClosePanel->move(kCloseOnLastStepPos);
        ui_.ClosePanel->show();
    } else {
        ui_.ClosePanel->move(kClosePos);
        ui_.NextPanel->move(kNextPos);
        ui_.ClosePanel->show();
        ui_.NextPanel->show();
    }
    NameWindow(this, title_, picture->accessibleName(), picture->accessibleDescription());
    FlatPanel* defaultButton = step == kLastStep ? ui_.CloseButtonImage : ui_.NextButtonImage;
    ui_.NextButtonImage->setDefault(defaultButton == ui_.NextButtonImage);
    ui_.CloseButtonImage->setDefault(defaultButton == ui_.CloseButtonImage);
    defaultButton->setFocus(Qt::OtherFocusReason);
}

void TBPSIntroForm::NextButtonImageClick() {
    if (introStep == kFirstStep || introStep == kFirstStep + 1) {
        ShowIntroStep(introStep + 1);
    }
}

void TBPSIntroForm::CloseButtonImageClick() {
    done(QDialog::Accepted);
}

}  // namespace trv81k
