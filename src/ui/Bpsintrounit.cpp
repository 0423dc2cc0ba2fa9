#include "ui/Bpsintrounit.h"

#include <string>

namespace trv81k {

namespace {

constexpr int kFirstStep = 15;
constexpr int kLastStep = 17;

}  // namespace

TBPSIntroForm::TBPSIntroForm(const Services& services, const std::string& languageSection,
                             int languageBase)
    : FramelessDialog("BPSIntroForm", 688, 451) {
    SetBackground(this, look::kWhite);
    for (std::size_t i = 0; i < BPSImage.size(); ++i) {
        const std::string name = "BPSImage" + std::to_string(i + 1);
        BPSImage[i] = new Picture(this, name.c_str());
    }
    ClosePanel = new HolderPanel(this, "ClosePanel", look::kSilver);
    CloseButtonImage = new Picture(ClosePanel, "CloseButtonImage", Picture::Pointer::Active);
    CloseButtonImage->setGeometry(0, 0, 105, 33);
    NextPanel = new HolderPanel(this, "NextPanel", look::kSilver);
    NextButtonImage = new Picture(NextPanel, "NextButtonImage", Picture::Pointer::Active);
    NextButtonImage->setGeometry(0, 0, 105, 41);

    connect(CloseButtonImage, &Picture::clicked, this, &TBPSIntroForm::CloseButtonImageClick);
    connect(NextButtonImage, &Picture::clicked, this, &TBPSIntroForm::NextButtonImageClick);
    FormCreate(services, languageSection, languageBase);
}

void TBPSIntroForm::FormCreate(const Services& services, const std::string& languageSection,
                               int languageBase) {
    for (std::size_t i = 0; i < BPSImage.size(); ++i) {
        BPSImage[i]->setImage(
            services.libraryPicture(languageBase + kFirstStep + static_cast<int>(i)));
    }
    CloseButtonImage_Ge = services.windowPicture("bps_close_de");
    NextButtonImage_Ge = services.windowPicture("bps_next_de");
    CloseButtonImage_Fr = services.windowPicture("bps_close_fr");
    NextButtonImage_Fr = services.windowPicture("bps_next_fr");
    if (languageSection == "German") {
        CloseButtonImage->setImage(CloseButtonImage_Ge);
        NextButtonImage->setImage(NextButtonImage_Ge);
    } else if (languageSection == "French") {
        CloseButtonImage->setImage(CloseButtonImage_Fr);
        NextButtonImage->setImage(NextButtonImage_Fr);
    } else {
        CloseButtonImage->setImage(services.windowPicture("bps_close_en"));
        NextButtonImage->setImage(services.windowPicture("bps_next_en"));
    }
    centreOnScreen();
}

void TBPSIntroForm::showEvent(QShowEvent* event) {
    FramelessDialog::showEvent(event);
    FormShow();
}

void TBPSIntroForm::FormShow() {
    ApplyRoundRectShape(this, 580, 417, 20, 20);
    PlaceIntroControls();
    HideIntroControls();
    ShowIntroStep(kFirstStep);
}

void TBPSIntroForm::PlaceIntroControls() {
    for (Picture* picture : BPSImage) {
        picture->setGeometry(0, 0, 580, 417);
    }
    ClosePanel->setGeometry(176, 372, 103, 33);
    SetBackground(ClosePanel, look::kWhite);
    NextPanel->setGeometry(288, 372, 103, 31);
    SetBackground(NextPanel, look::kWhite);
}

void TBPSIntroForm::HideIntroControls() {
    for (Picture* picture : BPSImage) {
        picture->hide();
    }
    ClosePanel->hide();
    NextPanel->hide();
}

void TBPSIntroForm::ShowIntroStep(int step) {
    introStep = step;
    HideIntroControls();
    if (step < kFirstStep || step > kLastStep) {
        return;
    }
    Picture* picture = BPSImage[static_cast<std::size_t>(step - kFirstStep)];
    picture->show();
    picture->lower();
    if (step == kLastStep) {
        ClosePanel->move(248, 364);
        ClosePanel->show();
    } else {
        ClosePanel->move(176, 372);
        NextPanel->move(288, 372);
        ClosePanel->show();
        NextPanel->show();
    }
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
