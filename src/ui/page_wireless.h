#pragma once
// Pages 9 and 10: the wireless network (SSID, channel, network mode) and the security level
// (disabled, WEP, WPA/WPA2 with a pre-shared key, or WPA with a RADIUS server, which the wizard
// cannot set up).

#include <QObject>
#include <functional>

#include "ui/wizard_context.h"

class QComboBox;
class QLineEdit;
class QRadioButton;
class QWidget;

namespace trv81k {

class WirelessPages : public QObject {
public:
    // `channels`: the last channel the list offers. `deviceName`: the basic settings page's
    // name as typed, which Next on the wireless page takes over as well.
    WirelessPages(WizardContext& context, QWidget& window, int channels,
                  std::function<QString()> deviceName);

    // Page 9.
    void FillWirelessSettings();
    void NextOnWirelessSettings();
    // Page 10.
    void NextOnSecurityLevel();
    void RadioBtnDisbleClick();
    void RadioBtnWEPClick();
    void RadioBtnPSKClick();
    void RadioBtnWPARadiusClick();
    // The network modes in the window's language (at the first activation).
    void ApplyListTexts();

private:
    struct Design {
        QLineEdit* SSIDEdit = nullptr;
        QComboBox* ChannelComboBox = nullptr;
        QComboBox* NetModeComboBox = nullptr;
        QRadioButton* RadioBtnDisble = nullptr;
        QRadioButton* RadioBtnWEP = nullptr;
        QRadioButton* RadioBtnPSK = nullptr;
        QRadioButton* RadioBtnWPARadius = nullptr;
    };

    WizardContext& context_;
    std::function<QString()> deviceName_;
    Design ui_;
};

}  // namespace trv81k
