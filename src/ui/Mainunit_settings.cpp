// The main window's settings pages: basic settings (7), pairing check (8), wireless settings
// (9), security level (10), WEP key (11), pre-shared key (12) and confirmation (18), and the
// links of the welcome and congratulation pages.
//
// The page machine (Mainunit.cpp) calls these hooks: NextPanelClick on pages 7 to 12 calls the
// NextOn... hook of the page, YesPanelClick on page 18 calls YesOnConfirm after the adapter
// check and the clearing of bGetConfigureAck, and LoadPage calls the Fill... hook of pages 11,
// 12 and 18 after it has shown the page's controls and placed them for the language.
// ConnectSettingsControls runs once at creation, after the controls exist and before the texts
// are loaded.

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QUrl>

#include "l10n/texts.h"
#include "settings/address_warnings.h"
#include "settings/keygen.h"
#include "ui/Bpsintrounit.h"
#include "ui/Configureunit.h"
#include "ui/Mainunit.h"
#include "ui/Wparadiusnote.h"
#include "ui/input_filters.h"
#include "ui/pause.h"

namespace trv81k {

namespace {

// Entries of SecurityComboBox.
enum SecurityItem : int {
    kItemWep64 = 0,
    kItemWep128 = 1,
    kItemWpaPersonal = 2,
    kItemWpa2Personal = 3,
    kItemWpa2Mixed = 4,
    kItemDisabled = 5,
};

// Entries of EncryptionComboBox.
constexpr int kCipherTkip = 0;
constexpr int kCipherAes = 1;
constexpr int kCipherMixed = 2;

constexpr int kWep64KeyDigits = 10;
constexpr int kWep128KeyDigits = 26;
constexpr int kKey1DesignLimit = 16;
constexpr int kPassphraseLimit = 16;

// The security code that the chosen entries of the key pages stand for; no entry chosen keeps
// the code as it is.
int SecurityModeFor(int securityItem, int cipherItem, int current) {
    switch (securityItem) {
        case kItemWep64:
            return kSecurityWep64;
        case kItemWep128:
            return kSecurityWep128;
        case kItemWpaPersonal:
            return cipherItem == kCipherTkip ? kSecurityWpaTkip : kSecurityWpaAes;
        case kItemWpa2Personal:
            return kSecurityWpa2Aes;
        case kItemWpa2Mixed:
            return kSecurityWpa2Mixed;
        case kItemDisabled:
            return kSecurityDisabled;
        default:
            return current;
    }
}

// The key the confirmation page shows for a security code.
const std::string* KeyShownFor(int securityMode, const WizardState& wizard) {
    static const std::string kNone;
    switch (keyBytesFor(securityMode)) {
        case 0:
            return &kNone;
        case 64:
            return &wizard.newPSK;
        default:
            return &wizard.newWepKey;
    }
}

void SetField(QWidget* field, bool enabled) {
    field->setEnabled(enabled);
    SetBackground(field, enabled ? look::kWhite : look::kSilver);
}

// What a value line of the confirmation page shows for a value that is not written (the
// addresses under DHCP, no gateway): a dash.
constexpr QChar kNotWritten{0x2013};

// Breaks `text` into the lines `label` has room for: at blanks where it can, inside a word (a
// key, a long name) where it must. The label shows every character.
void ShowInFull(QLabel* label, const QString& text) {
    const QFontMetrics metrics(label->font());
    // The label's indent and two pixels of air on either side.
    const int room = label->contentsRect().width() - std::max(0, label->indent()) - 4;
    QStringList lines;
    QString line;
    for (const QString& word : text.split(QLatin1Char(' '))) {
        QString candidate = line.isEmpty() ? word : line + QLatin1Char(' ') + word;
        if (metrics.horizontalAdvance(candidate) <= room) {
            line = candidate;
            continue;
        }
        if (!line.isEmpty()) {
            lines << line;
            candidate = word;
        }
        // A word wider than the room is cut where it reaches the edge.
        line.clear();
        for (const QChar c : candidate) {
            if (!line.isEmpty() && metrics.horizontalAdvance(line + c) > room) {
                lines << line;
                line.clear();
            }
            line += c;
        }
    }
    lines << line;
    label->setText(lines.join(QLatin1Char('\n')));
    label->setProperty(kWholeValue, text);
}

}  // namespace

// ---- Creation ----------------------------------------------------------------------------

void TMainForm::ConnectSettingsControls() {
    ui_.IPEdit->setMaxLength(16);
    ui_.NetmaskEdit->setMaxLength(15);
    ui_.GatewayEdit->setMaxLength(15);
    for (QLineEdit* edit : {ui_.IPEdit, ui_.NetmaskEdit, ui_.GatewayEdit}) {
        FilterAddressKeys(edit);
    }
    ui_.DeviceNameEdit->setMaxLength(static_cast<int>(kMaxTextLength));
    ui_.PasswordEdit->setMaxLength(16);
    ShowAsStars(ui_.PasswordEdit);
    for (QLineEdit* edit :
         {ui_.DeviceNameEdit, ui_.PasswordEdit, ui_.SSIDEdit, ui_.PassphraseEdit, ui_.PSKEdit}) {
        AllowLatin1Only(edit);
    }
    ui_.Key1Edit->setMaxLength(kKey1DesignLimit);
    KeyFilter::Options hexKeys;
    hexKeys.accept = [](QChar c) { return c.unicode() < 0x80 && IsHexKeyChar(c.toLatin1()); };
    hexKeys.copyShortcut = true;  // copying the key stays possible
    hexKeys.beforeKey = [this] { ApplyKey1Limit(); };
    new KeyFilter(ui_.Key1Edit, std::move(hexKeys));

    // The lists change through the user's choice only (activated), not when a page or the
    // first activation sets their entries.
    connect(ui_.DHCPModeComboBox, &QComboBox::activated, this, &TMainForm::DHCPModeComboBoxChange);
    connect(ui_.SecurityComboBox, &QComboBox::activated, this, &TMainForm::SecurityComboBoxChange);
    connect(ui_.PassphraseEdit, &QLineEdit::textChanged, this, &TMainForm::PassphraseEdit1Change);
}

// ---- Page 7: basic settings --------------------------------------------------------------

QLineEdit* TMainForm::FieldOf(SettingField field) const {
    switch (field) {
        case SettingField::IpAddress:
            return ui_.IPEdit;
        case SettingField::Netmask:
            return ui_.NetmaskEdit;
        case SettingField::Gateway:
            return ui_.GatewayEdit;
        case SettingField::DeviceName:
            return ui_.DeviceNameEdit;
        case SettingField::Ssid:
            return ui_.SSIDEdit;
        case SettingField::Passphrase:
            return ui_.PassphraseEdit;
        case SettingField::WepKey:
            return ui_.Key1Edit;
        case SettingField::PreSharedKey:
            return ui_.PSKEdit;
        default:
            return nullptr;  // the password's refusal leaves the focus where it is
    }
}

void TMainForm::Refuse(const SettingRefusal& refusal, const QString* resetText) {
    if (!refusal.messageKey.empty()) {
        ShowWarning(refusal.messageKey);
    } else {
        services_.messages->warning(
            this, QString::fromUtf8(refusal.detail.data(),
                                    static_cast<qsizetype>(refusal.detail.size())));
    }
    if (QLineEdit* edit = FieldOf(refusal.field)) {
        if (resetText != nullptr) {
            edit->setText(*resetText);
        }
        edit->setFocus();
        edit->selectAll();
    }
}

EnteredSettings TMainForm::BasicSettingsOnThePage() const {
    EnteredSettings page = wizard;
    page.newPassword = ToLatin1(ui_.PasswordEdit->text());
    page.newDeviceName = ToLatin1(ui_.DeviceNameEdit->text());
    page.bStaticIP = ui_.DHCPModeComboBox->currentIndex() == 1;
    page.newIPText = ToLatin1(ui_.IPEdit->text());
    page.newNetmaskText = ToLatin1(ui_.NetmaskEdit->text());
    page.newGatewayText = ToLatin1(ui_.GatewayEdit->text());
    return page;
}

void TMainForm::NextOnBasicSettings() {
    if (!exchange().passwordAccepted()) {
        return;
    }
    const EnteredSettings page = BasicSettingsOnThePage();
    const std::vector<SettingRefusal> refusals = CheckBasicSettings(page);
    if (!refusals.empty() && FieldOf(refusals.front().field) == nullptr) {
        Refuse(refusals.front());  // the password: the focus stays where it is
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
            Refuse(*refused, refused->resetField ? &lastAccepted : nullptr);
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
    LoadPage(PAGE_SECURE_1_CONFIGURE_WIRELESS);
}

bool TMainForm::ConfirmAddressConcerns(const EnteredSettings& page) {
    const AddressCheck address = ValidateIPText(page.newIPText);
    const AddressCheck mask = ValidateNetmaskText(page.newNetmaskText);
    const AddressCheck gateway = ValidateGatewayText(page.newGatewayText);
    if (!address.ok() || !mask.ok()) {
        return true;  // refused before; nothing to ask about
    }
    // The other devices that answered the search, by their current addresses.
    std::vector<NamedAddress> others;
    const DeviceTable& table = exchange().table;
    for (int i = 0; i < table.count(); ++i) {
        const DeviceInfo& device = table.at(i);
        if (device.macAddress != wizard.currentDevice.macAddress) {
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
                question = Text("ADDRESS_KIND_QUESTION").arg(FromLatin1(address.normalised));
                break;
            case AddressConcern::MaskNotContiguous:
                question = Text("MASK_QUESTION").arg(FromLatin1(mask.normalised));
                field = ui_.NetmaskEdit;
                break;
            case AddressConcern::AddressTaken:
                question =
                    Text("ADDRESS_TAKEN_QUESTION")
                        .arg(FromLatin1(address.normalised), FromLatin1(warning.otherDevice));
                break;
            case AddressConcern::GatewayOutsideSubnet:
                question = Text("GATEWAY_QUESTION")
                               .arg(FromLatin1(gateway.normalised), FromLatin1(address.normalised),
                                    FromLatin1(mask.normalised));
                field = ui_.GatewayEdit;
                break;
        }
        if (!services_.messages->askYesNo(this, QString(), question)) {
            field->setFocus();
            field->selectAll();
            return false;
        }
    }
    return true;
}

void TMainForm::DHCPModeComboBoxChange(int index) {
    const bool staticAddress = index != 0;
    const std::array<std::pair<QLineEdit*, const std::string*>, 3> edits = {{
        {ui_.IPEdit, &wizard.newIPText},
        {ui_.NetmaskEdit, &wizard.newNetmaskText},
        {ui_.GatewayEdit, &wizard.newGatewayText},
    }};
    for (const auto& [edit, text] : edits) {
        SetField(edit, staticAddress);
        edit->setText(staticAddress ? FromLatin1(*text) : QString());
        edit->show();
    }
}

// ---- Page 8: pairing check ---------------------------------------------------------------

void TMainForm::NextOnPairingCheck() {
    // Up to three seconds without a sign of life otherwise: the busy sign in the link's place.
    ui_.WhereBPSPanel->hide();
    ui_.PairingBusySign->start(Text("PAIRING_BUSY"));
    const Exchanges::Pairing pairing = exchanges_.checkPairing();
    ui_.PairingBusySign->stop();
    ui_.WhereBPSPanel->show();
    if (pairing == Exchanges::Pairing::NotManaged) {
        wizard.bWirelessEditable = true;
        LoadPage(PAGE_SECURE_2_WIRELESS_SETTINGS);
    } else {
        // Under pairing control, or silent: the wireless settings are left to the pairing.
        wizard.bWirelessEditable = false;
        wizard.newSecurityMode = kSecurityPairing;
        LoadPage(PAGE_CONFIRM);
    }
}

// ---- Pages 9 and 10: wireless settings and security level --------------------------------

void TMainForm::NextOnWirelessSettings() {
    EnteredSettings page = wizard;
    page.newSSID = ToLatin1(ui_.SSIDEdit->text());
    page.newChannel = ui_.ChannelComboBox->currentIndex() + 1;
    page.newNetMode = static_cast<std::uint8_t>(std::max(0, ui_.NetModeComboBox->currentIndex()));
    if (const std::optional<SettingRefusal> refusal = CheckWirelessSettings(page)) {
        Refuse(*refusal);
        return;
    }
    wizard.newSSID = page.newSSID;
    wizard.newChannel = page.newChannel;
    wizard.newDeviceName = ToLatin1(ui_.DeviceNameEdit->text());
    wizard.newNetMode = page.newNetMode;
    LoadPage(PAGE_SECURE_3_SECURITY_SETTINGS);
}

void TMainForm::NextOnSecurityLevel() {
    switch (wizard.securityChoice) {
        case 1:
            if (exchange().loggedIn()) {
                wizard.newSecurityMode = kSecurityDisabled;
                LoadPage(PAGE_CONFIRM);
            }
            break;
        case 2:
            LoadPage(PAGE_SECURE_4_WEP);
            break;
        case 3:
            LoadPage(PAGE_SECURE_4_PSK);
            break;
        default:
            break;  // nothing chosen yet, or RADIUS, which the wizard cannot set up
    }
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
    dialogs_->radiusNote.centreOn(this);
    dialogs_->radiusNote.exec();
}

// ---- Pages 11 and 12: the keys -----------------------------------------------------------

void TMainForm::SetKeyFieldsEnabled(bool enabled) {
    for (QLineEdit* field : {ui_.PassphraseEdit, ui_.Key1Edit, ui_.PSKEdit}) {
        SetField(field, enabled);
    }
}

void TMainForm::SetCipherList(bool enabled, bool mixedItem, int index) {
    while (ui_.EncryptionComboBox->count() > 2) {
        ui_.EncryptionComboBox->removeItem(2);
    }
    if (mixedItem) {
        ui_.EncryptionComboBox->addItem(QString::fromLatin1(kMixedCipherItem));
    }
    ui_.EncryptionComboBox->setCurrentIndex(index);
    SetField(ui_.EncryptionComboBox, enabled);
}

void TMainForm::ApplyKey1Limit() {
    int limit = ui_.Key1Edit->maxLength();
    switch (ui_.SecurityComboBox->currentIndex()) {
        case kItemWep64:
            limit = kWep64KeyDigits;
            break;
        case kItemWep128:
            limit = kWep128KeyDigits;
            break;
        default:
            break;
    }
    // Setting the limit sets the text again, which would move the cursor and drop the
    // selection on every key press.
    if (limit != ui_.Key1Edit->maxLength()) {
        ui_.Key1Edit->setMaxLength(limit);
    }
}

void TMainForm::FillWepPage() {
    ui_.Key1Edit->clear();
    ui_.PassphraseEdit->clear();
    ui_.PassphraseEdit->setMaxLength(kPassphraseLimit);
    ui_.SecurityComboBox->setCurrentIndex(kItemWep64);
    SetKeyFieldsEnabled(true);
}

void TMainForm::FillPskPage() {
    SetCipherList(true, false, kCipherTkip);
    ui_.SecurityComboBox->setCurrentIndex(kItemWpaPersonal);
    SetKeyFieldsEnabled(true);
}

void TMainForm::SecurityComboBoxChange(int index) {
    ui_.PassphraseEdit->clear();
    ui_.Key1Edit->clear();
    ui_.PSKEdit->clear();
    // Loading page 11 or 12 resets the list, so each choice selects itself again afterwards.
    switch (index) {
        case kItemWep64:
        case kItemWep128:
            LoadPage(PAGE_SECURE_4_WEP);
            ui_.SecurityComboBox->setCurrentIndex(index);
            ApplyKey1Limit();
            SetKeyFieldsEnabled(true);
            break;
        case kItemWpaPersonal:
            LoadPage(PAGE_SECURE_4_PSK);
            ui_.SecurityComboBox->setCurrentIndex(index);
            SetCipherList(true, false, kCipherTkip);
            SetKeyFieldsEnabled(true);
            break;
        case kItemWpa2Personal:
            LoadPage(PAGE_SECURE_4_PSK);
            ui_.SecurityComboBox->setCurrentIndex(index);
            SetCipherList(false, false, kCipherAes);
            SetKeyFieldsEnabled(true);
            break;
        case kItemWpa2Mixed:
            LoadPage(PAGE_SECURE_4_PSK);
            ui_.SecurityComboBox->setCurrentIndex(index);
            SetCipherList(false, true, kCipherMixed);
            SetKeyFieldsEnabled(true);
            break;
        case kItemDisabled:
            // The page stays; Next leads to the confirmation page without a key.
            ui_.SecurityComboBox->setCurrentIndex(index);
            SetField(ui_.EncryptionComboBox, false);
            SetKeyFieldsEnabled(false);
            break;
        default:
            break;
    }
}

void TMainForm::PassphraseEdit1Change() {
    const std::string passphrase = ToLatin1(ui_.PassphraseEdit->text());
    if (passphrase.empty()) {
        ui_.Key1Edit->clear();
        return;
    }
    switch (ui_.SecurityComboBox->currentIndex()) {
        case kItemWep64:
            ApplyKey1Limit();
            ui_.Key1Edit->setText(QString::fromStdString(Wep64KeyText(passphrase)));
            break;
        case kItemWep128:
            ApplyKey1Limit();
            ui_.Key1Edit->setText(QString::fromStdString(Wep128KeyText(passphrase)));
            break;
        default:
            break;  // the key stays as it is
    }
}

EnteredSettings TMainForm::KeysOnThePage() const {
    EnteredSettings page = wizard;
    page.newPassphrase = ToLatin1(ui_.PassphraseEdit->text());
    page.newWepKey = ToLatin1(ui_.Key1Edit->text());
    page.newPSK = ToLatin1(ui_.PSKEdit->text());
    page.newSecurityMode =
        SecurityModeFor(ui_.SecurityComboBox->currentIndex(),
                        ui_.EncryptionComboBox->currentIndex(), wizard.newSecurityMode);
    return page;
}

void TMainForm::NextOnWepKey() {
    const EnteredSettings page = KeysOnThePage();
    if (const std::optional<SettingRefusal> refusal = CheckSecurity(page)) {
        Refuse(*refusal);
        return;
    }
    wizard.newPassphrase = page.newPassphrase;
    wizard.newWepKey = page.newWepKey;
    wizard.newEncryption = ui_.EncryptionComboBox->currentIndex();
    wizard.newPSK = page.newPSK;
    wizard.newSecurityMode = page.newSecurityMode;
    LoadPage(PAGE_CONFIRM);
}

void TMainForm::NextOnPreSharedKey() {
    const EnteredSettings page = KeysOnThePage();
    if (const std::optional<SettingRefusal> refusal = CheckSecurity(page)) {
        Refuse(*refusal);
        return;
    }
    wizard.newEncryption = ui_.EncryptionComboBox->currentIndex();
    wizard.newPSK = page.newPSK;
    wizard.newSecurityMode = page.newSecurityMode;
    LoadPage(PAGE_CONFIRM);
}

// ---- Page 18: confirmation and the configure step ----------------------------------------

std::array<QLabel*, 6> TMainForm::DeviceValueLabels() const {
    return {ui_.NewNameLabel, ui_.NewPasswordLabel, ui_.NewIPModeLabel,
            ui_.NewIPLabel,   ui_.NewNetmaskLabel,  ui_.NewGatewayLabel};
}

std::array<QLabel*, 5> TMainForm::WirelessValueLabels() const {
    return {ui_.NewSSIDLabel, ui_.NewChannelLabel, ui_.NewNetModeLabel, ui_.NewWepLabel,
            ui_.NewKeyLabel};
}

void TMainForm::ShowPasswordAsChosen() {
    const QString password = FromLatin1(wizard.newPassword);
    ShowInFull(ui_.NewPasswordLabel, ui_.ShowPasswordCheckBox->isChecked()
                                         ? password
                                         : QString(password.size(), QLatin1Char('*')));
}

void TMainForm::FillConfirmPage() {
    // The device's settings: name, password (hidden until asked for), the address settings.
    ShowInFull(ui_.NewNameLabel, FromLatin1(wizard.newDeviceName));
    ui_.ShowPasswordCheckBox->setChecked(false);
    ShowPasswordAsChosen();
    ui_.NewIPModeLabel->setText(Text(wizard.bStaticIP ? "StaticIP" : "Automatic_DHCP"));
    const auto address = [this](const std::string& text) {
        return wizard.bStaticIP && !text.empty() ? FromLatin1(text) : QString(kNotWritten);
    };
    ui_.NewIPLabel->setText(address(wizard.newIPText));
    ui_.NewNetmaskLabel->setText(address(wizard.newNetmaskText));
    ui_.NewGatewayLabel->setText(address(wizard.newGatewayText));
    for (QLabel* label : DeviceValueLabels()) {
        label->show();
    }
    ui_.ShowPasswordCheckBox->show();

    // The wireless settings, or their own picture when they are left to the pairing.
    const bool pairing = wizard.newSecurityMode == kSecurityPairing;
    PagePicture(PAGE_CONFIRM)->setImage(pairing ? pairingConfirmPicture_ : confirmPicture_);
    if (pairing) {
        return;
    }
    ShowInFull(ui_.NewSSIDLabel, FromLatin1(wizard.newSSID));
    ui_.NewChannelLabel->setText(QString::number(wizard.newChannel));
    static constexpr std::string_view kModes[] = {"Mixed_Mode", "G_only", "B_only"};
    ui_.NewNetModeLabel->setText(wizard.newNetMode < std::size(kModes)
                                     ? Text(kModes[wizard.newNetMode])
                                     : QString::number(wizard.newNetMode));
    if (const std::optional<std::string> security =
            ConfirmSecurityText(wizard.newSecurityMode, texts)) {
        ui_.NewWepLabel->setText(
            QString::fromUtf8(security->data(), static_cast<qsizetype>(security->size())));
        ShowInFull(ui_.NewKeyLabel, FromLatin1(*KeyShownFor(wizard.newSecurityMode, wizard)));
    }
    for (QLabel* label : WirelessValueLabels()) {
        label->show();
    }
    // The note asks to keep the key only when there is one.
    ui_.NoteKeyLabel->setVisible(!ui_.NewKeyLabel->text().isEmpty());
}

void TMainForm::YesOnConfirm() {
    if (!exchange().loggedIn()) {
        return;
    }
    // Checked and converted once; settings that cannot be built are never sent, and the
    // exchange then ends without an acknowledgement.
    const auto built = BuildConfigureSettings(wizard, wizard.currentDevice);
    const ConfigureSettings* settings = std::get_if<ConfigureSettings>(&built);
    hide();
    Exchanges::Configure outcome = Exchanges::Configure::NotAcknowledged;
    dialogs_->configure.RunExchange([&](const Exchanges::Progress& progress) {
        Exchanges::Progress shown = progress;
        // The main window is back while a late acknowledgement may still come.
        shown.ticksDone = [&] {
            progress.ticksDone();
            show();
        };
        outcome = exchanges_.configure(settings, shown).outcome;
    });
    show();
    if (outcome == Exchanges::Configure::Acknowledged) {
        LoadPage(PAGE_CONGRATULATION);
    } else {
        ShowWarning("CONFIGURE_FAIL");
        show();
    }
}

// ---- Links and information dialogs -------------------------------------------------------

void TMainForm::UserguidePanelClick() {
    const QString guide = QDir::current().absoluteFilePath(QString::fromLatin1(kUserGuidePath));
    // A launcher that starts a viewer on a missing file does not count as opening it.
    if (QFileInfo::exists(guide) && services_.shell->openUrl(QUrl::fromLocalFile(guide))) {
        return;
    }
    const QString installer = QDir::currentPath() + QString::fromLatin1(kReaderInstallerPath);
    const QString prompt = Text("UserGuideMsg1") + QLatin1Char('\n') + Text("UserGuideMsg2");
    if (services_.messages->askYesNo(this, QString::fromLatin1(kReaderPromptTitle), prompt)) {
        services_.shell->openUrl(QUrl::fromLocalFile(installer));
    }
}

void TMainForm::RegPanelClick() {
    services_.shell->openUrl(QUrl(QString::fromLatin1(kRegistrationUrl)));
    ExitPanelClick();
}

void TMainForm::WhereBPSPanelClick() {
    dialogs_->bpsIntro.centreOn(this);
    dialogs_->bpsIntro.exec();
}

}  // namespace trv81k
