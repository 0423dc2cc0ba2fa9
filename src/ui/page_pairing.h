#pragma once
// Page 8: the pairing check. Next asks the device whether its push-button pairing manages the
// wireless settings; the manual entry leads to the wireless pages in any case; the link shows
// where the button is.

#include <QObject>

#include "ui/wizard_context.h"

class QWidget;

namespace trv81k {

class BusySign;
class FlatPanel;
class HolderPanel;
class Picture;

class PairingPage : public QObject {
public:
    PairingPage(WizardContext& context, QWidget& window);

    void NextClicked();
    void EnterManuallyLabelClick();
    void WhereBPSPanelClick();
    // The manual entry, whose caption the pointer on the background turns grey.
    FlatPanel* EnterManuallyLabel() const { return ui_.EnterManuallyLabel; }
    // The busy sign, never left on by another page.
    void StopBusySign();

private:
    struct Design {
        FlatPanel* WhereBPSPanel = nullptr;
        BusySign* PairingBusySign = nullptr;  // in the link's place during the check
        HolderPanel* WlanManualPanel = nullptr;
        Picture* WlanManualImage = nullptr;
        FlatPanel* EnterManuallyLabel = nullptr;
    };

    WizardContext& context_;
    Design ui_;
};

}  // namespace trv81k
