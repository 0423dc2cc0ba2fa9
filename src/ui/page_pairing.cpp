#include "ui/page_pairing.h"

#include "core/overrides.h"
#include "ui/Bpsintrounit.h"
#include "ui/busy.h"
#include "ui/look.h"
#include "ui/page_table.h"

namespace trv81k {

PairingPage::PairingPage(WizardContext& context, QWidget& window)
    : QObject(&window), context_(context) {
    const QFont buttonFont = PixelFont("Arial", 11);
    ui_.WhereBPSPanel = new FlatPanel(&window, "WhereBPSPanel",
                                      QStringLiteral("Where is my ButtonPairSetup button?"));
    QFont linkFont = buttonFont;
    linkFont.setUnderline(true);
    ui_.WhereBPSPanel->setFont(linkFont);
    ui_.WhereBPSPanel->setPanelColour(look::kWhite);
    ui_.WhereBPSPanel->setCaptionColour(look::kLinkBlue);
    ui_.WhereBPSPanel->setHoverHighlight(false);

    ui_.PairingBusySign = new BusySign(&window, "PairingBusySign");

    ui_.WlanManualPanel = new HolderPanel(&window, "WlanManualPanel", look::kButtonGreen);
    ui_.WlanManualImage = new Picture(ui_.WlanManualPanel, "WlanManualImage");
    ui_.WlanManualImage->setGeometry(0, 0, 169, 45);
    ui_.EnterManuallyLabel = new FlatPanel(ui_.WlanManualPanel, "EnterManuallyLabel",
                                           QStringLiteral("Enter Wireless Setting Manually"));
    ui_.EnterManuallyLabel->setFont(PixelFont("Arial", 13, true));
    ui_.EnterManuallyLabel->setPanelColour(QColor());  // lies on the picture
    ui_.EnterManuallyLabel->setWordWrap(true);

    ui_.WlanManualImage->setStretchedImage(context_.services().windowPicture("wlan_manual"));

    connect(ui_.EnterManuallyLabel, &FlatPanel::clicked, this,
            &PairingPage::EnterManuallyLabelClick);
    connect(ui_.WhereBPSPanel, &FlatPanel::clicked, this, &PairingPage::WhereBPSPanelClick);
}

void PairingPage::StopBusySign() {
    ui_.PairingBusySign->stop();
}

void PairingPage::NextClicked() {
    // Up to three seconds without a sign of life otherwise: the busy sign in the link's place.
    ui_.WhereBPSPanel->hide();
    ui_.PairingBusySign->start(context_.Text("PAIRING_BUSY"));
    const Exchanges::Pairing pairing = context_.exchanges().checkPairing();
    ui_.PairingBusySign->stop();
    ui_.WhereBPSPanel->show();
    WizardState& wizard = context_.wizard;
    if (!PairingKeepsWireless(pairing)) {
        wizard.bWirelessEditable = true;
        context_.LoadPage(PAGE_SECURE_2_WIRELESS_SETTINGS);
    } else {
        // Under pairing control, or silent: the wireless settings are left to the pairing.
        wizard.bWirelessEditable = false;
        wizard.newSecurityMode = kSecurityPairing;
        context_.LoadPage(PAGE_CONFIRM);
    }
}

void PairingPage::EnterManuallyLabelClick() {
    context_.wizard.bWirelessEditable = true;
    context_.LoadPage(PAGE_SECURE_2_WIRELESS_SETTINGS);
}

void PairingPage::WhereBPSPanelClick() {
    TBPSIntroForm& intro = context_.dialogs().bpsIntro;
    intro.centreOn(&context_.MainWindow());
    intro.exec();
}

}  // namespace trv81k
