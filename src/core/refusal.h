#pragma once
// Why a step does not go on: a refused value, a network that cannot be used, a device that did
// not answer, refused the password or did not acknowledge. Built one way (Refuse); the command
// line turns the outcome into its exit code and the texts into its message line.

#include <string>
#include <string_view>
#include <vector>

#include "l10n/texts.h"

namespace trv81k {

// How a road ended. The values are the command line's exit codes, which scripts rely on.
enum class Outcome {
    Done = 0,
    Network = 1,      // no adapter, socket or port; a request could not be sent
    Usage = 2,        // a bad value; nothing was written
    NotFound = 3,     // no device answered, or not the one named
    Password = 4,     // the device did not accept the password
    NoAck = 5,        // the device did not acknowledge the settings (or refused them)
    NotVerified = 6,  // the device does not announce the new settings
    SomeNotDone = 7,  // many devices: some are not done
};

struct Refusal {
    Outcome outcome = Outcome::Usage;
    std::string subject;     // what it is about: "--ip 10.0.0.255", "device 00-11-22-33-44-55"
    std::string messageKey;  // Language.ini key; empty when `detail` says it all
    std::string detail;      // own text, after the key's text when there is one
    std::string hint;        // what to do, appended in parentheses
    // The option it is about, without its dashes ("ip"; an apply file's key); empty when none.
    std::string field;

    // What is said after the subject: the key's text or the detail, then the hint.
    std::string text(const Texts& texts) const;
};

// The one way to build a refusal. A subject that begins with an option ("--ip 10.0.0.255")
// names its field ("ip").
Refusal Refuse(std::string subject, std::string detail, std::string hint = {},
               Outcome outcome = Outcome::Usage);
// The same with a Language.ini text.
Refusal RefuseWithText(std::string subject, std::string_view messageKey, std::string detail = {},
                       std::string hint = {}, Outcome outcome = Outcome::Usage);

// The compiled-in English texts of every key a refusal or a status line of the road uses, for a
// machine without Language.ini.
const Texts& EnglishTexts();
// Each key of EnglishTexts, in the order of the table.
std::vector<std::string_view> EnglishTextKeys();

}  // namespace trv81k
