#pragma once
// What the wizard's pages hold between them: the values entered so far (the settings the
// configure request is built from), the login and the chosen device, and the pages' own
// choices that never travel.

#include <string>

#include "core/entered_settings.h"
#include "protocol/wire.h"

namespace trv81k {

struct WizardState : EnteredSettings {
    std::string loginPassword;
    DeviceInfo currentDevice;  // the chosen device as its search answer described it

    std::string lastGoodGatewayText;  // what a refused gateway is put back to
    int newEncryption = 0;            // the cipher list's entry
    int securityChoice = 0;           // the security page's radio button: 1 to 4, 0 none yet

    // Takes the device's current settings over, as a successful login does.
    void loadFromDevice(const DeviceInfo& device) {
        EnteredSettings::loadFromDevice(device);
        lastGoodGatewayText = newGatewayText;
    }
};

}  // namespace trv81k
