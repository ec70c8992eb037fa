#include "base/MachineTexts.h"

namespace tallowmere {
namespace {

// Each text whole in both wordings, so that each reads (and translates) as one sentence.
struct Wordings {
    const char* mac;
    const char* computer;
};

Wordings wordings(MachineText text) {
    switch (text) {
    case MachineText::readyNotice:
        return {"Tallowmere will manage external disks and keep your Mac awake based on your settings.",
                "Tallowmere will manage external disks and keep your computer awake based on your settings."};
    case MachineText::guardEnabled:
        return {"Tallowmere will keep your Mac awake using Quenby Guard.",
                "Tallowmere will keep your computer awake using Quenby Guard."};
    case MachineText::guardEnabledFor:
        return {"Tallowmere will keep your Mac awake for %1 using Quenby Guard.",
                "Tallowmere will keep your computer awake for %1 using Quenby Guard."};
    case MachineText::guardTurnedOff:
        return {"Quenby Guard is no longer keeping your Mac awake.",
                "Quenby Guard is no longer keeping your computer awake."};
    case MachineText::sleepFailed:
        return {"Unable to put Mac to sleep: %1", "Unable to put the computer to sleep: %1"};
    case MachineText::aboutSummary:
        return {"Tallowmere safely ejects your external drives before your Mac sleeps and can keep your Mac awake when "
                "you need it.",
                "Tallowmere safely ejects your external drives before your computer sleeps and can keep your computer "
                "awake when you need it."};
    case MachineText::startAtLoginFooter:
        return {"Automatically opens the app when you start your Mac.",
                "Automatically opens the app when you start your computer."};
    case MachineText::notificationSettingsFooter:
        return {"Opens macOS notification settings so you can adjust Tallowmere alerts.",
                "Opens the desktop’s notification settings so you can adjust Tallowmere alerts."};
    case MachineText::notificationsDisabled:
        return {"Notifications are currently disabled. Enable them in System Settings to see eject/remount and "
                "onboarding test alerts.",
                "Notifications are currently disabled. Enable them in the desktop’s notification settings to see "
                "eject/remount and onboarding test alerts."};
    case MachineText::armingFooter:
        return {"Automatically ejects or unmounts selected external disks when your Mac sleeps. You can also arm it as "
                "soon as Tallowmere launches.",
                "Automatically ejects or unmounts selected external disks when your computer sleeps. You can also arm "
                "it as soon as Tallowmere launches."};
    case MachineText::guardStatusFooter:
        return {"Active keeps your Mac awake until you turn it off or the timer ends. Activate on Launch starts the "
                "default duration each time you open Tallowmere.",
                "Active keeps your computer awake until you turn it off or the timer ends. Activate on Launch starts "
                "the default duration each time you open Tallowmere."};
    case MachineText::guardAdvancedFooter:
        return {"Display sleep dims the screen while keeping the Mac awake. External display auto-activates Quenby "
                "Guard when connected. User switching can turn it off to avoid affecting other accounts.",
                "Display sleep dims the screen while keeping the computer awake. External display auto-activates "
                "Quenby Guard when connected. User switching can turn it off to avoid affecting other accounts."};
    case MachineText::noBattery:
        return {"Battery not detected on this Mac; battery rules are disabled.",
                "Battery not detected on this computer; battery rules are disabled."};
    case MachineText::welcomeSummary:
        return {"Tallowmere safely prepares your external disks before sleep and can keep your Mac awake when you need "
                "it.",
                "Tallowmere safely prepares your external disks before sleep and can keep your computer awake when you "
                "need it."};
    case MachineText::welcomeSafeEject:
        return {"Before your Mac sleeps, Tallowmere can automatically eject or unmount selected external disks so "
                "they’re not corrupted or left in an unsafe state. When your Mac wakes, Tallowmere will try to remount "
                "those disks so they’re ready to use again.",
                "Before your computer sleeps, Tallowmere can automatically eject or unmount selected external disks so "
                "they’re not corrupted or left in an unsafe state. When your computer wakes, Tallowmere will try to "
                "remount those disks so they’re ready to use again."};
    case MachineText::welcomeTestIntroduction:
        return {"Tallowmere only works with external disks. This quick test will safely unmount your selected "
                "external drives now, then remount them, so you can see exactly what will happen before your Mac "
                "sleeps automatically.",
                "Tallowmere only works with external disks. This quick test will safely unmount your selected "
                "external drives now, then remount them, so you can see exactly what will happen before your computer "
                "sleeps automatically."};
    case MachineText::welcomeTestNote:
        return {"Unmount will safely unmount any matching external disks without putting your Mac to sleep. Remount "
                "will then bring those same disks back online. You can cancel this window at any time.",
                "Unmount will safely unmount any matching external disks without putting your computer to sleep. "
                "Remount will then bring those same disks back online. You can cancel this window at any time."};
    }
    return {"", ""};
}

} // namespace

const char* machineText(MachineText text, MachineKind machine) {
    const Wordings both = wordings(text);
    return machine == MachineKind::mac ? both.mac : both.computer;
}

std::string machineText(MachineText text, MachineKind machine, const std::string& argument) {
    std::string filled = machineText(text, machine);
    if (auto at = filled.find("%1"); at != std::string::npos)
        filled.replace(at, 2, argument);
    return filled;
}

} // namespace tallowmere
