#pragma once

#include "disks/ExternalDiskManager.h"
#include "platform/Application.h"
#include "platform/PlatformFeatures.h"
#include "platform/PreferenceStore.h"
#include "platform/Runtime.h"

#include <QObject>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tallowmere {

// The welcome window's safe test: a forced unmount of the external disks the application would handle, then a
// remount of exactly those. Lives as long as its window; nothing of it is stored. Main thread only.
class OnboardingTestRun : public QObject, public std::enable_shared_from_this<OnboardingTestRun> {
    Q_OBJECT

public:
    struct Services {
        Runtime& runtime;
        std::shared_ptr<ExternalDiskManager> diskManager;
        PreferenceStore& preferences;
        // The application delegate's posting path; empty when there is none.
        std::function<void(const std::string& title, const std::string& body)> postUserNotification;
        Application& application;
    };

    static std::shared_ptr<OnboardingTestRun> create(Services services);

    // 0 nothing unmounted yet, 1 disks unmounted and waiting for the remount, 2 remount done.
    int testStep() const { return m_testStep; }
    bool isTestingUnmount() const { return m_isTestingUnmount; }
    bool isTestingRemount() const { return m_isTestingRemount; }
    const std::optional<std::string>& statusMessage() const { return m_statusMessage; }

    // Enablement of the window's three buttons.
    bool canTestUnmount() const;
    bool canTestRemount() const;
    bool canGetStarted() const;

    void runTestUnmount();
    void runTestRemount();
    void postTestNotification(const std::string& title, const std::string& body);

signals:
    void changed();

private:
    explicit OnboardingTestRun(Services services);

    bool isIdle() const { return !m_isTestingUnmount && !m_isTestingRemount; }
    void finishUnmount(const std::vector<std::string>& urls);
    void finishRemount(const std::vector<std::string>& urls);
    // A completion that brings the URLs back to the main queue while this run still exists.
    std::function<void(std::vector<std::string>)>
    onMainQueue(void (OnboardingTestRun::*finish)(const std::vector<std::string>&));

    Services m_services;
    bool m_isTestingUnmount = false;
    bool m_isTestingRemount = false;
    int m_testStep = 0;
    std::optional<std::string> m_statusMessage;
};

struct WindowSize {
    double width = 0;
    double height = 0;
    bool operator==(const WindowSize&) const = default;
};

// The welcome window's content size from the view's fitting size, the width its content cannot do without and
// the main screen's visible frame (or, when that is missing, its full frame; with no screen at all, 1440 × 900).
// As wide as the view asks, at least 420 points and at most a third of the screen, yet never narrower than the
// content needs; as tall as the view plus a margin, yet never taller than the visible frame under the window's
// title bar: a taller body scrolls.
WindowSize onboardingContentSize(WindowSize fitting, double neededWidth, std::optional<WindowSize> visibleScreen,
                                 std::optional<WindowSize> fullScreen);

// One of the things the welcome window presents: a symbol, a heading and what it says, in the user's language.
struct WelcomeFeature {
    const char* symbol;
    std::string heading;
    std::string description;
};

// What the welcome window presents, in order; the Full Disk Access recommendation only where the platform has
// that permission.
std::vector<WelcomeFeature> welcomeFeatures(const PlatformFeatures& features);

} // namespace tallowmere
