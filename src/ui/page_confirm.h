#pragma once
// Page 18: everything that will be written (the device's settings, then the wireless ones or a
// note that the pairing keeps them), and Yes, which writes it into the access point.

#include <QImage>
#include <QObject>
#include <array>

#include "ui/wizard_context.h"

class QCheckBox;
class QLabel;
class QWidget;

namespace trv81k {

class Picture;

// The property of a value label that holds its value whole, where the label shows it on more
// than one line.
inline constexpr char kWholeValue[] = "wholeValue";
// The page's picture on the pairing road (of the language's pictures).
inline constexpr int kPairingConfirmPicture = 13;

class ConfirmPage : public QObject {
public:
    // `picture`: the page's picture, whose image the road chooses.
    ConfirmPage(WizardContext& context, QWidget& window, Picture& picture);

    // The values from the wizard state.
    void Fill();
    // Yes: the configure step; true when the device acknowledged.
    bool Write();
    // The values named with their captions for a screen reader, each whole.
    // Names each value label with its caption; gives the shown ones as one summary.
    QString NameValues();
    // Shown by the fill rather than by the page table.
    void HideValues();

private:
    struct Design {
        QLabel* NewNameLabel = nullptr;
        QLabel* NewPasswordLabel = nullptr;
        QCheckBox* ShowPasswordCheckBox = nullptr;
        QLabel* NewIPModeLabel = nullptr;
        QLabel* NewIPLabel = nullptr;
        QLabel* NewNetmaskLabel = nullptr;
        QLabel* NewGatewayLabel = nullptr;
        QLabel* NewSSIDLabel = nullptr;
        QLabel* NewChannelLabel = nullptr;
        QLabel* NewNetModeLabel = nullptr;
        QLabel* NewWepLabel = nullptr;
        QLabel* NewKeyLabel = nullptr;
        QLabel* NoteKeyLabel = nullptr;
    };

    // The value labels: the device's settings, then the wireless ones.
    std::array<QLabel*, 6> DeviceValueLabels() const;
    std::array<QLabel*, 5> WirelessValueLabels() const;
    void ShowPasswordAsChosen();

    WizardContext& context_;
    QWidget& window_;
    Picture& picture_;
    Design ui_;
    // The page's pictures: the wireless settings written, or left to the pairing.
    QImage confirmPicture_;
    QImage pairingConfirmPicture_;
    bool confirmPictureTaken_ = false;
};

}  // namespace trv81k
