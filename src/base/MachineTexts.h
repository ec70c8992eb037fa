#pragma once

#include "platform/PlatformFeatures.h"

#include <string>

namespace tallowmere {

// The texts that name the machine the application runs on.
enum class MachineText {
    readyNotice,
    guardEnabled,
    guardEnabledFor,
    guardTurnedOff,
    sleepFailed,
    aboutSummary,
    startAtLoginFooter,
    notificationSettingsFooter,
    notificationsDisabled,
    armingFooter,
    guardStatusFooter,
    guardAdvancedFooter,
    noBattery,
    welcomeSummary,
    welcomeSafeEject,
    welcomeTestIntroduction,
    welcomeTestNote,
};

// The text in the machine's wording ("your Mac", "your computer"), in the user's language.
std::string machineText(MachineText text, MachineKind machine);
// The same with "%1" in it replaced by `argument`.
std::string machineText(MachineText text, MachineKind machine, const std::string& argument);

} // namespace tallowmere
