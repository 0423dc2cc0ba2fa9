#include "ui/page_basic.h"

#include <QComboBox>
#include <QLineEdit>
#include <algorithm>
#include <array>

#include "settings/address_warnings.h"
#include "settings/validators.h"
#include "ui/accessibility.h"
#include "ui/input_filters.h"
#include "ui/look.h"
#include "ui/page_parts.h"
#include "ui/page_table.h"

namespace trv81k {

namespace {

// The design's limits of the fields (a refused longer value is named by the checks on Next).
constexpr int kAddressFieldLimit = 16;
constexpr int kMaskFieldLimit = 15;
constexpr int kDevicePasswordLimit = static_cast<int>(kMaxDevicePasswordLength);

}  // namespace

BasicSettingsPage::BasicSettingsPage(WizardContext& context, QWidget& window)
    : QObject(&window), context_(context) {
    const QFont fieldFont = PixelFont("Arial", 11);
    ui_.IPEdit = MakeEdit(&window, "IPEdit", fieldFont);
    ui_.NetmaskEdit = MakeEdit(&window, "NetmaskEdit", fieldFont);
    ui_.GatewayEdit = MakeEdit(&window, "GatewayEdit", fieldFont);
    ui_.DeviceNameEdit = MakeEdit(&window, "DeviceNameEdit", fieldFont);
    ui_.PasswordEdit = MakeEdit(&window, "PasswordEdit", fieldFont);
    ui_.DHCPModeComboBox =
        MakeCombo(&window, "DHCPModeComboBox", fieldFont,
                  {QStringLiteral("Automatic-DHCP"), QStringLiteral("Static IP")});
    KeepClosedListQuiet(ui_.DHCPModeComboBox);

    ui_.IPEdit->setMaxLength(kAddressFieldLimit);
    ui_.NetmaskEdit->setMaxLength(kMaskFieldLimit);
    ui_.GatewayEdit->setMaxLength(kMaskFieldLimit);
    for (QLineEdit* edit : {ui_.IPEdit, ui_.NetmaskEdit, ui_.GatewayEdit}) {
        FilterAddressKeys(edit);
    }
    ui_.DeviceNameEdit->setMaxLength(static_cast<int>(kMaxTextLength));
    ui_.PasswordEdit->setMaxLength(kDevicePasswordLimit);
    ShowAsStars(ui_.PasswordEdit);
    for (QLineEdit* edit : {ui_.DeviceNameEdit, ui_.PasswordEdit}) {
        AllowLatin1Only(edit);
    }
    // The list changes through the user's choice only (activated), not when the page or the
    // first activation sets its entry.
    connect(ui_.DHCPModeComboBox, &QComboBox::activated, this,
            &BasicSettingsPage::DHCPModeComboBoxChange);
}

void BasicSettingsPage::ApplyListTexts() {
    ui_.DHCPModeComboBox->clear();
    ui_.DHCPModeComboBox->addItems({context_.Text("Automatic_DHCP"), context_.Text("StaticIP")});
}

QString BasicSettingsPage::DeviceNameText() const {
    return ui_.DeviceNameEdit->text();
}

void BasicSettingsPage::Fill() {
    const WizardState& wizard = context_.wizard;
    ui_.PasswordEdit->setText(FromLatin1(wizard.newPassword));
    ui_.DeviceNameEdit->setText(FromLatin1(wizard.newDeviceName));
    const std::array<QLineEdit*, 3> addressEdits = {ui_.IPEdit, ui_.NetmaskEdit, ui_.GatewayEdit};
    if (wizard.bStaticIP) {
        ui_.DHCPModeComboBox->setCurrentIndex(1);
        ui_.IPEdit->setText(FromLatin1(wizard.newIPText));
        ui_.NetmaskEdit->setText(FromLatin1(wizard.newNetmaskText));
        ui_.GatewayEdit->setText(FromLatin1(wizard.newGatewayText));
        for (QLineEdit* edit : addressEdits) {
            SetFieldEnabled(edit, true);
        }
    } else {
        ui_.DHCPModeComboBox->setCurrentIndex(0);
        for (QLineEdit* edit : addressEdits) {
            edit->clear();
            SetFieldEnabled(edit, false);
        }
    }
}

QLineEdit* BasicSettingsPage::FieldOf(SettingField field) const {
    switch (field) {
        case SettingField::IpAddress:
            return ui_.IPEdit;
        case SettingField::Netmask:
            return ui_.NetmaskEdit;
        case SettingField::Gateway:
            return ui_.GatewayEdit;
        case SettingField::DeviceName:
            return ui_.DeviceNameEdit;
        default:
            return nullptr;  // the password's refusal leaves the focus where it is
    }
}

EnteredSettings BasicSettingsPage::SettingsOnThePage() const {
    EnteredSettings page = context_.wizard;
    page.newPassword = ToLatin1(ui_.PasswordEdit->text());
    page.newDeviceName = ToLatin1(ui_.DeviceNameEdit->text());
    page.bStaticIP = ui_.DHCPModeComboBox->currentIndex() == 1;
    page.newIPText = ToLatin1(ui_.IPEdit->text());
    page.newNetmaskText = ToLatin1(ui_.NetmaskEdit->text());
    page.newGatewayText = ToLatin1(ui_.GatewayEdit->text());
    return page;
}

void BasicSettingsPage::NextClicked() {
    if (!context_.exchangeState().passwordAccepted()) {
        return;
    }
    WizardState& wizard = context_.wizard;
    const EnteredSettings page = SettingsOnThePage();
    const std::vector<SettingRefusal> refusals = CheckBasicSettings(page);
    if (!refusals.empty() && FieldOf(refusals.front().field) == nullptr) {
        Refuse(context_, refusals.front(), nullptr);  // the password: the focus stays
        return;
    }
    if (ui_.DHCPModeComboBox->currentIndex() < 0) {
        return;
    }
    if (!refusals.empty()) {
        // Every address was checked. An accepted one keeps its text as read; a refused one shows
        // the last accepted text again, so a second Next passes with it.
        struct Address {
            SettingField field;
            QLineEdit* edit;
            std::string* accepted;
            AddressCheck (*validate)(std::string_view);
        };
        for (const Address& address :
             {Address{SettingField::IpAddress, ui_.IPEdit, &wizard.newIPText, ValidateIPText},
              Address{SettingField::Netmask, ui_.NetmaskEdit, &wizard.newNetmaskText,
                      ValidateNetmaskText},
              Address{SettingField::Gateway, ui_.GatewayEdit, &wizard.newGatewayText,
                      ValidateGatewayText}}) {
            const auto refused = std::find_if(
                refusals.begin(), refusals.end(),
                [&address](const SettingRefusal& r) { return r.field == address.field; });
            const bool gateway = address.field == SettingField::Gateway;
            if (refused == refusals.end()) {
                const AddressCheck check = address.validate(ToLatin1(address.edit->text()));
                *address.accepted =
                    address.edit->text().isEmpty() ? std::string() : check.normalised;
                if (gateway && check.outcome == FieldOutcome::Valid) {
                    wizard.lastGoodGatewayText = check.normalised;
                }
                continue;
            }
            const QString lastAccepted =
                FromLatin1(gateway ? wizard.lastGoodGatewayText : *address.accepted);
            Refuse(context_, *refused, FieldOf(refused->field),
                   refused->resetField ? &lastAccepted : nullptr);
        }
        return;
    }
    if (page.bStaticIP && !ConfirmAddressConcerns(page)) {
        return;
    }
    wizard.newPassword = page.newPassword;
    wizard.newDeviceName = page.newDeviceName;
    wizard.bStaticIP = page.bStaticIP;
    if (page.bStaticIP) {
        wizard.newIPText = page.newIPText;
        wizard.newNetmaskText = page.newNetmaskText;
        wizard.newGatewayText = page.newGatewayText;
        if (const AddressCheck gateway = ValidateGatewayText(page.newGatewayText);
            gateway.outcome == FieldOutcome::Valid) {
            wizard.lastGoodGatewayText = gateway.normalised;
        }
    }
    context_.LoadPage(PAGE_SECURE_1_CONFIGURE_WIRELESS);
}

bool BasicSettingsPage::ConfirmAddressConcerns(const EnteredSettings& page) {
    const AddressCheck address = ValidateIPText(page.newIPText);
    const AddressCheck mask = ValidateNetmaskText(page.newNetmaskText);
    const AddressCheck gateway = ValidateGatewayText(page.newGatewayText);
    if (!address.ok() || !mask.ok()) {
        return true;  // refused before; nothing to ask about
    }
    // The other devices that answered the search, by their current addresses.
    std::vector<NamedAddress> others;
    const DeviceTable& table = context_.exchangeState().table;
    for (int i = 0; i < table.count(); ++i) {
        const DeviceInfo& device = table.at(i);
        if (device.macAddress != context_.wizard.currentDevice.macAddress) {
            others.push_back({device.deviceNameText(), device.ipAddress});
        }
    }
    const bool hasGateway = !page.newGatewayText.empty() && gateway.outcome == FieldOutcome::Valid;
    const std::optional<AddressBytes4> gatewayBytes =
        hasGateway ? std::optional<AddressBytes4>(gateway.bytes) : std::nullopt;
    for (const AddressWarning& warning :
         AddressWarnings(address.bytes, mask.bytes, gatewayBytes, others)) {
        QString question;
        QLineEdit* field = ui_.IPEdit;
        switch (warning.concern) {
            case AddressConcern::AddressNotUnicast:
                question =
                    context_.Text("ADDRESS_KIND_QUESTION").arg(FromLatin1(address.normalised));
                break;
            case AddressConcern::MaskNotContiguous:
                question = context_.Text("MASK_QUESTION").arg(FromLatin1(mask.normalised));
                field = ui_.NetmaskEdit;
                break;
            case AddressConcern::AddressTaken:
                question =
                    context_.Text("ADDRESS_TAKEN_QUESTION")
                        .arg(FromLatin1(address.normalised), FromLatin1(warning.otherDevice));
                break;
            case AddressConcern::GatewayOutsideSubnet:
                question = context_.Text("GATEWAY_QUESTION")
                               .arg(FromLatin1(gateway.normalised), FromLatin1(address.normalised),
                                    FromLatin1(mask.normalised));
                field = ui_.GatewayEdit;
                break;
        }
        if (!context_.AskYesNo(QString(), question)) {
            field->setFocus();
            field->selectAll();
            return false;
        }
    }
    return true;
}

void BasicSettingsPage::DHCPModeComboBoxChange(int index) {
    const bool staticAddress = index != 0;
    const WizardState& wizard = context_.wizard;
    const std::array<std::pair<QLineEdit*, const std::string*>, 3> edits = {{
        {ui_.IPEdit, &wizard.newIPText},
        {ui_.NetmaskEdit, &wizard.newNetmaskText},
        {ui_.GatewayEdit, &wizard.newGatewayText},
    }};
    for (const auto& [edit, text] : edits) {
        SetFieldEnabled(edit, staticAddress);
        edit->setText(staticAddress ? FromLatin1(*text) : QString());
        edit->show();
    }
}

}  // namespace trv81k
