#include "base/MachineTexts.h"

#include "platform/Translation.h"

namespace tallowmere {

// Each text whole in both wordings, so that each reads (and translates) as one sentence.
std::string machineText(MachineText text, MachineKind machine) {
    const bool mac = machine == MachineKind::mac;
    switch (text) {
    case MachineText::readyNotice:
        return mac ? translated("MachineTexts",
                                "Tallowmere will manage external disks and keep your Mac awake based on your settings.")
                   : translated(
                         "MachineTexts",
                         "Tallowmere will manage external disks and keep your computer awake based on your settings.");
    case MachineText::guardEnabled:
        return mac ? translated("MachineTexts", "Tallowmere will keep your Mac awake using Quenby Guard.")
                   : translated("MachineTexts", "Tallowmere will keep your computer awake using Quenby Guard.");
    case MachineText::guardEnabledFor:
        return mac ? translated("MachineTexts", "Tallowmere will keep your Mac awake for %1 using Quenby Guard.")
                   : translated("MachineTexts", "Tallowmere will keep your computer awake for %1 using Quenby Guard.");
    case MachineText::guardTurnedOff:
        return mac ? translated("MachineTexts", "Quenby Guard is no longer keeping your Mac awake.")
                   : translated("MachineTexts", "Quenby Guard is no longer keeping your computer awake.");
    case MachineText::sleepFailed:
        return mac ? translated("MachineTexts", "Unable to put Mac to sleep: %1")
                   : translated("MachineTexts", "Unable to put the computer to sleep: %1");
    case MachineText::aboutSummary:
        return mac ? translated("MachineTexts", "Tallowmere safely ejects your external drives before your Mac sleeps "
                                                "and can keep your Mac awake when you need it.")
                   : translated("MachineTexts", "Tallowmere safely ejects your external drives before your computer "
                                                "sleeps and can keep your computer awake when you need it.");
    case MachineText::startAtLoginFooter:
        return mac ? translated("MachineTexts", "Automatically opens the app when you start your Mac.")
                   : translated("MachineTexts", "Automatically opens the app when you start your computer.");
    case MachineText::notificationSettingsFooter:
        return mac ? translated("MachineTexts",
                                "Opens macOS notification settings so you can adjust Tallowmere alerts.")
                   : translated("MachineTexts",
                                "Opens the desktop’s notification settings so you can adjust Tallowmere alerts.");
    case MachineText::notificationsDisabled:
        return mac ? translated("MachineTexts", "Notifications are currently disabled. Enable them in System Settings "
                                                "to see eject/remount and onboarding test alerts.")
                   : translated("MachineTexts",
                                "Notifications are currently disabled. Enable them in the desktop’s notification "
                                "settings to see eject/remount and onboarding test alerts.");
    case MachineText::armingFooter:
        return mac ? translated("MachineTexts", "Automatically ejects or unmounts selected external disks when your "
                                                "Mac sleeps. You can also arm it as soon as Tallowmere launches.")
                   : translated("MachineTexts", "Automatically ejects or unmounts selected external disks when your "
                                                "computer sleeps. You can also arm it as soon as Tallowmere launches.");
    case MachineText::guardStatusFooter:
        return mac ? translated("MachineTexts",
                                "Active keeps your Mac awake until you turn it off or the timer ends. Activate on "
                                "Launch starts the default duration each time you open Tallowmere.")
                   : translated("MachineTexts",
                                "Active keeps your computer awake until you turn it off or the timer ends. Activate on "
                                "Launch starts the default duration each time you open Tallowmere.");
    case MachineText::guardAdvancedFooter:
        return mac ? translated("MachineTexts", "Display sleep dims the screen while keeping the Mac awake. External "
                                                "display auto-activates Quenby Guard when connected. User switching "
                                                "can turn it off to avoid affecting other accounts.")
                   : translated("MachineTexts", "Display sleep dims the screen while keeping the computer awake. "
                                                "External display auto-activates Quenby Guard when connected. User "
                                                "switching can turn it off to avoid affecting other accounts.");
    case MachineText::noBattery:
        return mac ? translated("MachineTexts", "Battery not detected on this Mac; battery rules are disabled.")
                   : translated("MachineTexts", "Battery not detected on this computer; battery rules are disabled.");
    case MachineText::welcomeSummary:
        return mac ? translated("MachineTexts", "Tallowmere safely prepares your external disks before sleep and can "
                                                "keep your Mac awake when you need it.")
                   : translated("MachineTexts", "Tallowmere safely prepares your external disks before sleep and can "
                                                "keep your computer awake when you need it.");
    case MachineText::welcomeSafeEject:
        return mac ? translated("MachineTexts",
                                "Before your Mac sleeps, Tallowmere can automatically eject or unmount selected "
                                "external disks so they’re not corrupted or left in an unsafe state. When your Mac "
                                "wakes, Tallowmere will try to remount those disks so they’re ready to use again.")
                   : translated(
                         "MachineTexts",
                         "Before your computer sleeps, Tallowmere can automatically eject or unmount selected external "
                         "disks so they’re not corrupted or left in an unsafe state. When your computer wakes, "
                         "Tallowmere will try to remount those disks so they’re ready to use again.");
    case MachineText::welcomeTestIntroduction:
        return mac ? translated("MachineTexts",
                                "Tallowmere only works with external disks. This quick test will safely unmount your "
                                "selected external drives now, then remount them, so you can see exactly what will "
                                "happen before your Mac sleeps automatically.")
                   : translated("MachineTexts",
                                "Tallowmere only works with external disks. This quick test will safely unmount your "
                                "selected external drives now, then remount them, so you can see exactly what will "
                                "happen before your computer sleeps automatically.");
    case MachineText::welcomeTestNote:
        return mac ? translated("MachineTexts", "Unmount will safely unmount any matching external disks without "
                                                "putting your Mac to sleep. Remount will then bring those same disks "
                                                "back online. You can cancel this window at any time.")
                   : translated("MachineTexts", "Unmount will safely unmount any matching external disks without "
                                                "putting your computer to sleep. Remount will then bring those same "
                                                "disks back online. You can cancel this window at any time.");
    }
    return {};
}

std::string machineText(MachineText text, MachineKind machine, const std::string& argument) {
    return filledIn(machineText(text, machine), argument);
}

} // namespace tallowmere
