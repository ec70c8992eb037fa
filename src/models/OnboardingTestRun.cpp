#include "models/OnboardingTestRun.h"

#include "base/MachineTexts.h"
#include "base/Preferences.h"
#include "disks/DiskTypes.h"
#include "platform/Translation.h"

#include <algorithm>

namespace tallowmere {

std::shared_ptr<OnboardingTestRun> OnboardingTestRun::create(Services services) {
    return std::shared_ptr<OnboardingTestRun>(new OnboardingTestRun(std::move(services)));
}

OnboardingTestRun::OnboardingTestRun(Services services)
    : m_services(std::move(services)) {}

bool OnboardingTestRun::canTestUnmount() const {
    return isIdle() && (m_testStep == 0 || m_testStep == 2);
}

bool OnboardingTestRun::canTestRemount() const {
    return isIdle() && m_testStep == 1;
}

bool OnboardingTestRun::canGetStarted() const {
    return m_testStep == 2;
}

std::function<void(std::vector<std::string>)>
OnboardingTestRun::onMainQueue(void (OnboardingTestRun::*finish)(const std::vector<std::string>&)) {
    return [weak = weak_from_this(), &runtime = m_services.runtime, finish](std::vector<std::string> urls) {
        runtime.mainAsync([weak, finish, urls = std::move(urls)] {
            if (auto self = weak.lock())
                ((*self).*finish)(urls);
        });
    };
}

// The test ignores the allowlist and the unmount and force preferences: it always force-unmounts every
// eligible volume of the enabled kinds.
void OnboardingTestRun::runTestUnmount() {
    m_isTestingUnmount = true;
    m_isTestingRemount = false;
    m_statusMessage.reset();
    emit changed();

    std::vector<DiskType> types = enabledDiskTypes(m_services.preferences);
    m_services.runtime.globalAsync(QoS::UserInitiated, [manager = m_services.diskManager, types,
                                                        finish = onMainQueue(&OnboardingTestRun::finishUnmount)] {
        manager->ejectExternalDisks(types, {.force = true}, finish);
    });
}

void OnboardingTestRun::finishUnmount(const std::vector<std::string>& urls) {
    m_isTestingUnmount = false;
    if (!urls.empty()) {
        const std::string names = joinedVolumeNames(urls);
        m_statusMessage = filledIn(
            translated("OnboardingTestRun", "Successfully unmounted: %1. You can now test remounting those disks."),
            names);
        m_testStep = 1;
        emit changed();
        postTestNotification(translated("OnboardingTestRun", "Test Disks Unmounted"),
                             filledIn(translated("OnboardingTestRun", "Successfully unmounted: %1"), names));
    } else {
        m_statusMessage =
            translated("OnboardingTestRun", "No external disks were found to unmount. Connect an external drive "
                                            "and try again if you’d like to see the full workflow.");
        m_testStep = 0;
        emit changed();
        postTestNotification(translated("OnboardingTestRun", "No External Disks"),
                             translated("OnboardingTestRun", "No external disks were found to unmount for the test."));
    }
}

void OnboardingTestRun::runTestRemount() {
    if (!canTestRemount())
        return;
    m_isTestingRemount = true;
    m_statusMessage.reset();
    emit changed();

    auto finish = onMainQueue(&OnboardingTestRun::finishRemount);
    if (m_services.diskManager->lastEjectedDisks().empty())
        finish({});
    else
        m_services.diskManager->remountLastEjectedDisks(RemountPolicy::persistent(), finish);
}

void OnboardingTestRun::finishRemount(const std::vector<std::string>& urls) {
    m_isTestingRemount = false;
    if (!urls.empty()) {
        const std::string names = joinedVolumeNames(urls);
        m_statusMessage =
            filledIn(translated("OnboardingTestRun",
                                "Successfully remounted: %1. Tallowmere is ready to manage your disks automatically."),
                     names);
        m_testStep = 2;
        emit changed();
        postTestNotification(translated("OnboardingTestRun", "Test Disks Remounted"),
                             filledIn(translated("OnboardingTestRun", "Successfully remounted: %1"), names));
    } else {
        m_statusMessage =
            translated("OnboardingTestRun", "No previously unmounted disks were available to remount. If you’ve "
                                            "manually reconnected them, you can skip this step.");
        m_testStep = std::max(m_testStep, 1);
        emit changed();
        postTestNotification(
            translated("OnboardingTestRun", "No Disks Remounted"),
            translated("OnboardingTestRun", "No previously unmounted disks were available to remount for the test."));
    }
}

void OnboardingTestRun::postTestNotification(const std::string& title, const std::string& body) {
    if (m_services.postUserNotification)
        m_services.postUserNotification(title, body);
    m_services.application.requestUserAttention();
}

WindowSize onboardingContentSize(WindowSize fitting, double neededWidth, std::optional<WindowSize> visibleScreen,
                                 std::optional<WindowSize> fullScreen) {
    constexpr double minimum = 420, titleBar = 28;
    const WindowSize screen = visibleScreen.value_or(fullScreen.value_or(WindowSize{1440, 900}));
    return {std::max({minimum, neededWidth, std::min(screen.width / 3, fitting.width)}),
            std::min(std::max(minimum, fitting.height + 40), screen.height - titleBar)};
}

std::vector<WelcomeFeature> welcomeFeatures(const PlatformFeatures& features) {
    std::vector<WelcomeFeature> shown = {
        {"externaldrive.badge.checkmark", translated("OnboardingTestRun", "Safe eject and remount"),
         machineText(MachineText::welcomeSafeEject, features.machine)},
        {"checklist", translated("OnboardingTestRun", "Choose what to eject"),
         translated("OnboardingTestRun",
                    "You can choose which types of disks are included (hard drives, SSDs, SD cards, disk images, "
                    "network drives, and more) in the Auto Eject tab of Settings. Tallowmere only touches the disks "
                    "you’ve allowed.")}};
    if (features.fullDiskAccess)
        shown.push_back({"lock.shield", translated("OnboardingTestRun", "Recommended permissions"),
                         translated("OnboardingTestRun",
                                    "For the most reliable behavior, especially with Time Machine or encrypted "
                                    "volumes, we recommend granting Tallowmere Full Disk Access in System Settings → "
                                    "Privacy & Security → Full Disk Access. This lets macOS know Tallowmere is allowed "
                                    "to manage your disks.")});
    return shown;
}

} // namespace tallowmere
