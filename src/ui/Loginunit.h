#pragma once
// The login dialog: asks for the chosen access point's password, checks it with one
// authentication exchange and, when the device accepts it, takes the device's settings over
// and moves the wizard on to the basic settings page.

#include <QLineEdit>

#include "ui/busy.h"
#include "ui/look.h"

namespace trv81k {

class WizardContext;

class TLoginForm : public FramelessDialog {
    Q_OBJECT
public:
    explicit TLoginForm(WizardContext& context);

    void EnterPanelClick();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    // The controls, by their design names (also their objectName).
    struct Design {
        HolderPanel* Panel1 = nullptr;
        Picture* Image1 = nullptr;
        FlatPanel* EnterPanel = nullptr;
        QLineEdit* PasswordEdit = nullptr;
        trv81k::BusySign* BusySign = nullptr;  // while the device checks the password
    };

    void FormCreate();

    Design ui_;
    WizardContext& context_;
};

}  // namespace trv81k
