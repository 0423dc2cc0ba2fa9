#include "ui/page_wireless.h"

#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <algorithm>

#include "ui/Wparadiusnote.h"
#include "ui/accessibility.h"
#include "ui/input_filters.h"
#include "ui/look.h"
#include "ui/page_parts.h"
#include "ui/page_table.h"

namespace trv81k {

namespace {

// The lines the channel list shows when it opens.
constexpr int kChannelLines = 11;

}  // namespace

WirelessPages::WirelessPages(WizardContext& context, QWidget& window, int channels,
                             std::function<QString()> deviceName)
    : QObject(&window), context_(context), deviceName_(std::move(deviceName)) {
    const QFont fieldFont = PixelFont("Arial", 11);
    ui_.SSIDEdit = MakeEdit(&window, "SSIDEdit", fieldFont);
    ui_.ChannelComboBox = MakeCombo(&window, "ChannelComboBox", fieldFont, {});
    ui_.ChannelComboBox->setMaxVisibleItems(kChannelLines);
    ui_.NetModeComboBox = MakeCombo(&window, "NetModeComboBox", fieldFont,
                                    {QStringLiteral("Mixed Mode"), QStringLiteral("G-only"),
                                     QStringLiteral("B-only"), QStringLiteral("Disable")});

    ui_.RadioBtnDisble = MakeRadio(&window, "RadioBtnDisble");
    ui_.RadioBtnWEP = MakeRadio(&window, "RadioBtnWEP");
    ui_.RadioBtnPSK = MakeRadio(&window, "RadioBtnPSK");
    ui_.RadioBtnWPARadius = MakeRadio(&window, "RadioBtnWPARadius");
    for (QComboBox* list : {ui_.ChannelComboBox, ui_.NetModeComboBox}) {
        KeepClosedListQuiet(list);
    }
    AllowLatin1Only(ui_.SSIDEdit);
    for (int channel = kFirstChannel; channel <= channels; ++channel) {
        ui_.ChannelComboBox->addItem(QString::number(channel));
    }

    connect(ui_.RadioBtnDisble, &QRadioButton::clicked, this, &WirelessPages::RadioBtnDisbleClick);
    connect(ui_.RadioBtnWEP, &QRadioButton::clicked, this, &WirelessPages::RadioBtnWEPClick);
    connect(ui_.RadioBtnPSK, &QRadioButton::clicked, this, &WirelessPages::RadioBtnPSKClick);
    connect(ui_.RadioBtnWPARadius, &QRadioButton::clicked, this,
            &WirelessPages::RadioBtnWPARadiusClick);
}

void WirelessPages::ApplyListTexts() {
    ui_.NetModeComboBox->clear();
    ui_.NetModeComboBox->addItems(
        {context_.Text("Mixed_Mode"), context_.Text("G_only"), context_.Text("B_only")});
}

// ---- Page 9: wireless settings ------------------------------------------------------------

void WirelessPages::FillWirelessSettings() {
    const WizardState& wizard = context_.wizard;
    ui_.SSIDEdit->setMaxLength(static_cast<int>(kMaxTextLength));
    ui_.SSIDEdit->setText(FromLatin1(wizard.newSSID));
    // A value the lists do not hold (a device reporting channel 14, or an unknown mode) opens
    // them on the default channel and mixed mode, as an unset channel does, rather than on no
    // entry: Next would write channel 0 or mode 255 into the device.
    const int mode = wizard.newNetMode;
    ui_.NetModeComboBox->setCurrentIndex(mode < ui_.NetModeComboBox->count() ? mode : 0);
    const int channel = wizard.newChannel;
    const bool listed = channel >= kFirstChannel && channel <= ui_.ChannelComboBox->count();
    ui_.ChannelComboBox->setCurrentIndex((listed ? channel : kDefaultChannel) - kFirstChannel);
}

void WirelessPages::NextOnWirelessSettings() {
    WizardState& wizard = context_.wizard;
    EnteredSettings page = wizard;
    page.newSSID = ToLatin1(ui_.SSIDEdit->text());
    page.newChannel = ui_.ChannelComboBox->currentIndex() + kFirstChannel;
    page.newNetMode = static_cast<std::uint8_t>(std::max(0, ui_.NetModeComboBox->currentIndex()));
    if (const std::optional<SettingRefusal> refusal = CheckWirelessSettings(page)) {
        Refuse(context_, *refusal, refusal->field == SettingField::Ssid ? ui_.SSIDEdit : nullptr);
        return;
    }
    wizard.newSSID = page.newSSID;
    wizard.newChannel = page.newChannel;
    wizard.newDeviceName = ToLatin1(deviceName_());
    wizard.newNetMode = page.newNetMode;
    context_.LoadPage(PAGE_SECURE_3_SECURITY_SETTINGS);
}

// ---- Page 10: security level ----------------------------------------------------------------

void WirelessPages::NextOnSecurityLevel() {
    switch (context_.wizard.securityChoice) {
        case 1:
            if (context_.exchangeState().loggedIn()) {
                context_.wizard.newSecurityMode = kSecurityDisabled;
                context_.LoadPage(PAGE_CONFIRM);
            }
            break;
        case 2:
            context_.LoadPage(PAGE_SECURE_4_WEP);
            break;
        case 3:
            context_.LoadPage(PAGE_SECURE_4_PSK);
            break;
        default:
            break;  // nothing chosen yet, or RADIUS, which the wizard cannot set up
    }
}

void WirelessPages::RadioBtnDisbleClick() {
    context_.wizard.securityChoice = 1;
}

void WirelessPages::RadioBtnWEPClick() {
    context_.wizard.securityChoice = 2;
}

void WirelessPages::RadioBtnPSKClick() {
    context_.wizard.securityChoice = 3;
}

void WirelessPages::RadioBtnWPARadiusClick() {
    context_.wizard.securityChoice = 4;
    TWPARadiusNoteForm& note = context_.dialogs().radiusNote;
    note.centreOn(&context_.MainWindow());
    note.exec();
}

}  // namespace trv81k
