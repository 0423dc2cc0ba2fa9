#include "ui/page_keys.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

#include "core/overrides.h"
#include "settings/validators.h"
#include "ui/accessibility.h"
#include "ui/input_filters.h"
#include "ui/look.h"
#include "ui/page_parts.h"
#include "ui/page_table.h"

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
constexpr int kPassphraseLimit = static_cast<int>(kMaxPassphraseLength);
constexpr int kPskLimit = 64;

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

}  // namespace

KeyPages::KeyPages(WizardContext& context, QWidget& window) : QObject(&window), context_(context) {
    const QFont keyFont = PixelFont("Arial", 12);
    ui_.SecurityComboBox =
        MakeCombo(&window, "SecurityComboBox", keyFont,
                  {QStringLiteral("WEP (64-Bit)"), QStringLiteral("WEP (128-Bit)"),
                   QStringLiteral("WPA Personal"), QStringLiteral("WPA2 Personal"),
                   QStringLiteral("WPA2 Mixed"), QStringLiteral("Disabled")});
    ui_.SecurityComboBox->setCursor(Qt::PointingHandCursor);
    ui_.PassphraseEdit = MakeEdit(&window, "PassphraseEdit", keyFont);
    ui_.PassphraseEdit->setMaxLength(kPassphraseLimit);
    ui_.Key1Edit = MakeEdit(&window, "Key1Edit", keyFont);
    ui_.OrPanel =
        MakeLabel(&window, "OrPanel", PixelFont("Arial", 11), look::kMutedText, look::kWhite);
    ui_.EncryptionComboBox = MakeCombo(&window, "EncryptionComboBox", keyFont,
                                       {QStringLiteral("TKIP"), QStringLiteral("AES")});
    ui_.EncryptionComboBox->setCursor(Qt::PointingHandCursor);
    ui_.PSKEdit = MakeEdit(&window, "PSKEdit", keyFont);
    ui_.PSKEdit->setMaxLength(kPskLimit);
    ui_.LABEL_PSK_KEY_MAX = MakeLabel(&window, "LABEL_PSK_KEY_MAX", PixelFont("Arial", 11, true),
                                      look::kBlack, QColor());
    ui_.LABEL_PSK_KEY_MAX->setText(QString::number(kPskLimit));
    for (QComboBox* list : {ui_.SecurityComboBox, ui_.EncryptionComboBox}) {
        KeepClosedListQuiet(list);
    }

    for (QLineEdit* edit : {ui_.PassphraseEdit, ui_.PSKEdit}) {
        AllowLatin1Only(edit);
    }
    ui_.Key1Edit->setMaxLength(kKey1DesignLimit);
    KeyFilter::Options hexKeys;
    hexKeys.accept = [](QChar c) { return c.unicode() < 0x80 && IsHexKeyChar(c.toLatin1()); };
    hexKeys.copyShortcut = true;  // copying the key stays possible
    hexKeys.beforeKey = [this] { ApplyKey1Limit(); };
    new KeyFilter(ui_.Key1Edit, std::move(hexKeys));

    // The list changes through the user's choice only (activated), not when a page or the
    // first activation sets its entry.
    connect(ui_.SecurityComboBox, &QComboBox::activated, this, &KeyPages::SecurityComboBoxChange);
    connect(ui_.PassphraseEdit, &QLineEdit::textChanged, this, &KeyPages::PassphraseEdit1Change);
}

void KeyPages::ApplyListTexts() {
    ui_.SecurityComboBox->clear();
    ui_.SecurityComboBox->addItems({context_.Text("WEP_64Bit"), context_.Text("WEP_128Bit"),
                                    context_.Text("WPA_Personal"), context_.Text("WPA2_Personal"),
                                    context_.Text("WPA2_Mixedmode"), context_.Text("Disable")});
}

void KeyPages::NameKeyLength() {
    ui_.LABEL_PSK_KEY_MAX->setAccessibleName(context_.AccessibleText("LABEL_PSK_KEY_MAX_Name") +
                                             QLatin1Char(' ') + ui_.LABEL_PSK_KEY_MAX->text());
}

void KeyPages::HideOrPanel() {
    ui_.OrPanel->hide();
}

QLineEdit* KeyPages::FieldOf(SettingField field) const {
    switch (field) {
        case SettingField::Passphrase:
            return ui_.PassphraseEdit;
        case SettingField::WepKey:
            return ui_.Key1Edit;
        case SettingField::PreSharedKey:
            return ui_.PSKEdit;
        default:
            return nullptr;
    }
}

void KeyPages::SetKeyFieldsEnabled(bool enabled) {
    for (QLineEdit* field : {ui_.PassphraseEdit, ui_.Key1Edit, ui_.PSKEdit}) {
        SetFieldEnabled(field, enabled);
    }
}

void KeyPages::SetCipherList(bool enabled, bool mixedItem, int index) {
    while (ui_.EncryptionComboBox->count() > 2) {
        ui_.EncryptionComboBox->removeItem(2);
    }
    if (mixedItem) {
        ui_.EncryptionComboBox->addItem(QString::fromLatin1(kMixedCipherItem));
    }
    ui_.EncryptionComboBox->setCurrentIndex(index);
    SetFieldEnabled(ui_.EncryptionComboBox, enabled);
}

void KeyPages::ApplyKey1Limit() {
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

void KeyPages::FillWepPage() {
    ui_.Key1Edit->clear();
    ui_.PassphraseEdit->clear();
    ui_.PassphraseEdit->setMaxLength(kPassphraseLimit);
    ui_.SecurityComboBox->setCurrentIndex(kItemWep64);
    SetKeyFieldsEnabled(true);
}

void KeyPages::FillPskPage() {
    SetCipherList(true, false, kCipherTkip);
    ui_.SecurityComboBox->setCurrentIndex(kItemWpaPersonal);
    SetKeyFieldsEnabled(true);
}

void KeyPages::SecurityComboBoxChange(int index) {
    ui_.PassphraseEdit->clear();
    ui_.Key1Edit->clear();
    ui_.PSKEdit->clear();
    // Loading page 11 or 12 resets the list, so each choice selects itself again afterwards.
    switch (index) {
        case kItemWep64:
        case kItemWep128:
            context_.LoadPage(PAGE_SECURE_4_WEP);
            ui_.SecurityComboBox->setCurrentIndex(index);
            ApplyKey1Limit();
            SetKeyFieldsEnabled(true);
            break;
        case kItemWpaPersonal:
            context_.LoadPage(PAGE_SECURE_4_PSK);
            ui_.SecurityComboBox->setCurrentIndex(index);
            SetCipherList(true, false, kCipherTkip);
            SetKeyFieldsEnabled(true);
            break;
        case kItemWpa2Personal:
            context_.LoadPage(PAGE_SECURE_4_PSK);
            ui_.SecurityComboBox->setCurrentIndex(index);
            SetCipherList(false, false, kCipherAes);
            SetKeyFieldsEnabled(true);
            break;
        case kItemWpa2Mixed:
            context_.LoadPage(PAGE_SECURE_4_PSK);
            ui_.SecurityComboBox->setCurrentIndex(index);
            SetCipherList(false, true, kCipherMixed);
            SetKeyFieldsEnabled(true);
            break;
        case kItemDisabled:
            // The page stays; Next leads to the confirmation page without a key.
            ui_.SecurityComboBox->setCurrentIndex(index);
            SetFieldEnabled(ui_.EncryptionComboBox, false);
            SetKeyFieldsEnabled(false);
            break;
        default:
            break;
    }
}

void KeyPages::PassphraseEdit1Change() {
    const std::string passphrase = ToLatin1(ui_.PassphraseEdit->text());
    if (passphrase.empty()) {
        ui_.Key1Edit->clear();
        return;
    }
    const int item = ui_.SecurityComboBox->currentIndex();
    if (item != kItemWep64 && item != kItemWep128) {
        return;  // the key stays as it is
    }
    ApplyKey1Limit();
    const auto derived =
        WepKeyFromPassphrase(item == kItemWep64 ? kSecurityWep64 : kSecurityWep128, passphrase, {});
    if (const auto* key = std::get_if<std::string>(&derived)) {
        ui_.Key1Edit->setText(QString::fromStdString(*key));
    }
}

EnteredSettings KeyPages::KeysOnThePage() const {
    const WizardState& wizard = context_.wizard;
    EnteredSettings page = wizard;
    page.newPassphrase = ToLatin1(ui_.PassphraseEdit->text());
    page.newWepKey = ToLatin1(ui_.Key1Edit->text());
    page.newPSK = ToLatin1(ui_.PSKEdit->text());
    page.newSecurityMode =
        SecurityModeFor(ui_.SecurityComboBox->currentIndex(),
                        ui_.EncryptionComboBox->currentIndex(), wizard.newSecurityMode);
    return page;
}

void KeyPages::NextOnWepKey() {
    const EnteredSettings page = KeysOnThePage();
    if (const std::optional<SettingRefusal> refusal = CheckSecurity(page)) {
        Refuse(context_, *refusal, FieldOf(refusal->field));
        return;
    }
    WizardState& wizard = context_.wizard;
    wizard.newPassphrase = page.newPassphrase;
    wizard.newWepKey = page.newWepKey;
    wizard.newEncryption = ui_.EncryptionComboBox->currentIndex();
    wizard.newPSK = page.newPSK;
    wizard.newSecurityMode = page.newSecurityMode;
    context_.LoadPage(PAGE_CONFIRM);
}

void KeyPages::NextOnPreSharedKey() {
    const EnteredSettings page = KeysOnThePage();
    if (const std::optional<SettingRefusal> refusal = CheckSecurity(page)) {
        Refuse(context_, *refusal, FieldOf(refusal->field));
        return;
    }
    WizardState& wizard = context_.wizard;
    wizard.newEncryption = ui_.EncryptionComboBox->currentIndex();
    wizard.newPSK = page.newPSK;
    wizard.newSecurityMode = page.newSecurityMode;
    context_.LoadPage(PAGE_CONFIRM);
}

}  // namespace trv81k
