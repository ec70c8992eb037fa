#include "app/DiskCommands.h"

#include "base/MachineTexts.h"
#include "base/Preferences.h"
#include "disks/FullDiskAccess.h"
#include "platform/Log.h"
#include "platform/Translation.h"

#include <utility>

namespace tallowmere {
namespace {

std::string joinedPaths(const std::vector<std::string>& urls) {
    std::string paths;
    for (const std::string& url : urls) {
        if (!paths.empty())
            paths += ", ";
        paths += url;
    }
    return paths;
}

} // namespace

std::shared_ptr<DiskCommands> DiskCommands::create(Services services) {
    return std::shared_ptr<DiskCommands>(new DiskCommands(std::move(services)));
}

DiskCommands::DiskCommands(Services services)
    : m_services(std::move(services)) {}

void DiskCommands::ejectDisks() {
    auto eject = [weak = weak_from_this()] {
        if (auto self = weak.lock())
            self->ejectWithoutPrompt();
    };
    Platform& platform = m_services.platform;
    if (!platform.features.fullDiskAccess ||
        checkFullDiskAccess(platform.fileSystem, platform.processes, platform.tools)) {
        eject();
        return;
    }
    platform.runtime.mainAsync(weakly(shared_from_this(), [eject](DiskCommands& self) {
        self.m_services.windows->showPermissionPrompt(
            {translated("DiskCommands", "Full Disk Access Recommended"),
             translated("DiskCommands",
                        "Tallowmere may not be able to reliably eject all external drives without Full Disk Access. "
                        "Some operations may fail.\n\nWould you like to grant Full Disk Access now?"),
             translated("DiskCommands", "Open System Settings"), translated("DiskCommands", "Continue Anyway"),
             [&workspace = self.m_services.platform.workspace] { openFullDiskAccessSettings(workspace); }, eject});
    }));
}

void DiskCommands::ejectWithoutPrompt(DiskCommandReport report) {
    runEject([weak = weak_from_this(), report = std::move(report)](const EjectOutcome& outcome) {
        auto self = weak.lock();
        if (!self)
            return;
        self->m_services.platform.runtime.mainAsync([self, outcome, report] {
            UserNotifier& notifier = *self->m_services.notifier;
            if (!outcome.urls.empty())
                notifier.postUserNotification(outcome.saysUnmount ? translated("DiskCommands", "Disks Unmounted")
                                                                  : translated("DiskCommands", "Disks Ejected"),
                                              filledIn(outcome.saysUnmount
                                                           ? translated("DiskCommands", "Successfully unmounted: %1")
                                                           : translated("DiskCommands", "Successfully ejected: %1"),
                                                       joinedVolumeNames(outcome.urls)));
            else if (outcome.diskServiceAnswered)
                notifier.postUserNotification(
                    translated("DiskCommands", "No External Disks"),
                    outcome.saysUnmount ? translated("DiskCommands", "No external disks were found to unmount.")
                                        : translated("DiskCommands", "No external disks were found to eject."));
            if (report)
                report(outcome);
        });
    });
}

void DiskCommands::runEject(std::function<void(const EjectOutcome&)> finish) {
    PreferenceStore& defaults = m_services.platform.preferences;
    std::vector<DiskType> types = enabledDiskTypes(defaults);
    bool force = defaults.boolValue(PreferenceKey::forceUnmountEnabled);
    bool saysUnmount = boolPreference(defaults, PreferenceKey::unmountInsteadOfEject);
    m_services.platform.runtime.globalAsync(
        QoS::UserInitiated, [manager = m_services.diskManager, types, force, saysUnmount,
                             report = m_services.notices->reportDisksNotTakenOffline(), finish = std::move(finish)] {
            auto answered = std::make_shared<bool>(true);
            manager->ejectExternalDisks(
                types, {.force = force},
                [finish, saysUnmount, answered](std::vector<std::string> urls) {
                    finish({std::move(urls), saysUnmount, *answered});
                },
                [report, answered](int volumes) {
                    *answered = false;
                    report(volumes);
                });
        });
}

void DiskCommands::ejectAndSleep() {
    runEject([weak = weak_from_this()](const EjectOutcome& outcome) {
        if (!outcome.urls.empty())
            logLine(LogCategory::app(), (outcome.saysUnmount ? "Successfully unmounted disks before sleep: "
                                                             : "Successfully ejected disks before sleep: ") +
                                            joinedPaths(outcome.urls));
        else
            logLine(LogCategory::app(), outcome.saysUnmount ? "No external disks were unmounted before sleep."
                                                            : "No external disks were ejected before sleep.");
        auto self = weak.lock();
        if (!self)
            return;
        self->m_services.platform.runtime.mainAsync([weak] {
            if (auto self = weak.lock()) {
                self->m_services.stayAwakeController->deactivate(Initiator::user, Notice::post);
                self->sleepStep();
            }
        });
    });
}

void DiskCommands::sleepMac() {
    m_services.stayAwakeController->deactivate(Initiator::user, Notice::post);
    sleepStep();
}

void DiskCommands::sleepStep() {
    Platform& platform = m_services.platform;
    if (auto error = platform.processes.launchDetached(platform.tools.pmset(), {"sleepnow"})) {
        logError(LogCategory::app(), "Failed to execute pmset sleepnow: " + *error);
        m_services.notifier->postUserNotification(
            translated("DiskCommands", "Sleep Failed"),
            machineText(MachineText::sleepFailed, platform.features.machine, *error));
    }
}

void DiskCommands::remountDisks(DiskCommandReport report) {
    auto finished = [weak = weak_from_this(), report = std::move(report)](std::vector<std::string> urls) {
        auto self = weak.lock();
        if (!self)
            return;
        self->m_services.platform.runtime.mainAsync([self, urls, report] {
            if (urls.empty())
                self->m_services.notifier->postUserNotification(
                    translated("DiskCommands", "No Disks Remounted"),
                    translated("DiskCommands", "No previously ejected disks were available to remount."));
            if (report)
                report({urls,
                        boolPreference(self->m_services.platform.preferences, PreferenceKey::unmountInsteadOfEject)});
        });
    };
    ExternalDiskManager& disks = *m_services.diskManager;
    if (disks.lastEjectedDisks().empty()) {
        finished({});
        return;
    }
    disks.remountLastEjectedDisks(
        RemountPolicy::persistent(), finished,
        m_services.notices->announcingEachPass(translated("DiskCommands", "Successfully remounted: %1"),
                                               DiskNotices::Timing::atOnce));
}

} // namespace tallowmere
