#pragma once
// Page 7: the basic settings. The device name, its new password, DHCP or a static address
// with its subnet mask and gateway; every value checked on Next, a static address questioned
// where it meets another listed device or lies outside its gateway's subnet.

#include <QObject>
#include <QString>

#include "ui/wizard_context.h"

class QComboBox;
class QLineEdit;
class QWidget;

namespace trv81k {

class BasicSettingsPage : public QObject {
public:
    BasicSettingsPage(WizardContext& context, QWidget& window);

    // The page's fields from the wizard state.
    void Fill();
    // Next: the checks, then the pairing page.
    void NextClicked();
    // The address mode chosen by the user: the address fields on or off.
    void DHCPModeComboBoxChange(int index);
    // The list's entries in the window's language (at the first activation).
    void ApplyListTexts();
    // The device name as typed now.
    QString DeviceNameText() const;

private:
    struct Design {
        QLineEdit* IPEdit = nullptr;
        QLineEdit* NetmaskEdit = nullptr;
        QLineEdit* GatewayEdit = nullptr;
        QLineEdit* DeviceNameEdit = nullptr;
        QLineEdit* PasswordEdit = nullptr;
        QComboBox* DHCPModeComboBox = nullptr;
    };

    // The settings as the page shows them now.
    EnteredSettings SettingsOnThePage() const;
    // The field that shows an entered value (nullptr for the password: the focus stays).
    QLineEdit* FieldOf(SettingField field) const;
    // Asks about each concern with the static address settings of `page`; false, with the
    // focus in the field concerned and its text selected, when the user does not want to go
    // on.
    bool ConfirmAddressConcerns(const EnteredSettings& page);

    WizardContext& context_;
    Design ui_;
};

}  // namespace trv81k
