// The main window's settings pages: basic settings (7), pairing check (8), wireless settings
// (9), security level (10), WEP key (11), pre-shared key (12), confirmation (18) and
// congratulation (19), and the links of the welcome and congratulation pages.
//
// The page machine (Mainunit.cpp) calls these hooks: NextPanelClick on pages 7 to 12 calls the
// NextOn... hook of the page, YesPanelClick on page 18 calls YesOnConfirm after the adapter
// check and the clearing of bGetConfigureAck, and LoadPage calls the Fill... hook of pages 11,
// 12, 18 and 19 after it has shown the page's controls and placed them for the language.
// ConnectSettingsControls runs once at creation, after the controls exist and before the texts
// are loaded.
//
// What is here so far: the radio buttons of the security level page record the choice, the
// RADIUS choice shows its note, and the pairing help link shows the pairing introduction. The
// Next rules of pages 7 to 12, the configure step and the fills of pages 11, 12, 18 and 19
// come with the settings pages.

#include "ui/Bpsintrounit.h"
#include "ui/Mainunit.h"
#include "ui/Wparadiusnote.h"

namespace trv81k {

void TMainForm::ConnectSettingsControls() {}

void TMainForm::NextOnBasicSettings() {}

void TMainForm::NextOnPairingCheck() {}

void TMainForm::NextOnWirelessSettings() {}

void TMainForm::NextOnSecurityLevel() {}

void TMainForm::NextOnWepKey() {}

void TMainForm::NextOnPreSharedKey() {}

void TMainForm::YesOnConfirm() {}

void TMainForm::FillWepPage() {}

void TMainForm::FillPskPage() {}

void TMainForm::FillConfirmPage() {}

void TMainForm::FillCongratulationPage() {}

void TMainForm::UserguidePanelClick() {}

void TMainForm::RegPanelClick() {}

void TMainForm::WhereBPSPanelClick() {
    BPSIntroForm->exec();
}

void TMainForm::RadioBtnDisbleClick() {
    wizard.securityChoice = 1;
}

void TMainForm::RadioBtnWEPClick() {
    wizard.securityChoice = 2;
}

void TMainForm::RadioBtnPSKClick() {
    wizard.securityChoice = 3;
}

void TMainForm::RadioBtnWPARadiusClick() {
    wizard.securityChoice = 4;
    WPARadiusNoteForm->centreOn(this);
    WPARadiusNoteForm->exec();
}

}  // namespace trv81k
