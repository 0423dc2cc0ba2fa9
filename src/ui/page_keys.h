#pragma once
// Pages 11 and 12: the keys. WEP 64 or 128 bit from a passphrase (derived as it is typed) or as
// hexadecimal digits; WPA Personal (TKIP or AES), WPA2 Personal or WPA2 Mixed with a
// pre-shared key. The security list is on both pages; choosing in it loads the page it needs.

#include <QObject>

#include "ui/wizard_context.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QWidget;

namespace trv81k {

// The cipher list's third item while WPA2 Mixed is chosen (the list is not localised).
inline constexpr char kMixedCipherItem[] = "TKIP+AES";

class KeyPages : public QObject {
public:
    KeyPages(WizardContext& context, QWidget& window);

    void FillWepPage();
    void FillPskPage();
    void NextOnWepKey();
    void NextOnPreSharedKey();
    void SecurityComboBoxChange(int index);
    void PassphraseEdit1Change();
    // The security levels in the window's language (at the first activation).
    void ApplyListTexts();
    // The key length's value named with its caption.
    void NameKeyLength();
    // Shown by no page.
    void HideOrPanel();

private:
    struct Design {
        QComboBox* SecurityComboBox = nullptr;
        QLineEdit* PassphraseEdit = nullptr;
        QLineEdit* Key1Edit = nullptr;
        QLabel* OrPanel = nullptr;
        QComboBox* EncryptionComboBox = nullptr;
        QLineEdit* PSKEdit = nullptr;
        QLabel* LABEL_PSK_KEY_MAX = nullptr;
    };

    // The keys and the security code as the pages show them now.
    EnteredSettings KeysOnThePage() const;
    QLineEdit* FieldOf(SettingField field) const;
    void SetKeyFieldsEnabled(bool enabled);
    void SetCipherList(bool enabled, bool mixedItem, int index);
    void ApplyKey1Limit();

    WizardContext& context_;
    Design ui_;
};

}  // namespace trv81k
