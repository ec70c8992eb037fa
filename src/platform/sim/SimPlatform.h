#pragma once

#include "platform/BuildBundle.h"
#include "platform/Platform.h"
#include "platform/PlatformBackend.h"
#include "platform/PlistPreferenceStore.h"
#include "platform/QtProcessRunner.h"
#include "platform/sim/SimApplication.h"
#include "platform/sim/SimDiskArbitration.h"
#include "platform/sim/SimEventListener.h"
#include "platform/sim/SimFileSystem.h"
#include "platform/sim/SimLoginItem.h"
#include "platform/sim/SimPowerAssertions.h"
#include "platform/sim/SimPowerSources.h"
#include "platform/sim/SimSystemPower.h"
#include "platform/sim/SimSystemTools.h"
#include "platform/sim/SimUpdaterFramework.h"
#include "platform/sim/SimUserNotificationCenter.h"
#include "platform/sim/SimWorkspace.h"

#include "simulator/Machine.h"

#include <memory>
#include <string>

namespace tallowmere {

// Every platform service backed by the simulated Mac. `start` attaches this process to the machine: it
// serves <machine>/app.sock on a thread of its own, where macsim's events arrive and are handed to the
// runtime's main queue (notification observers, power messages), records this process as the machine's
// application and watches the defaults domain for other writers.
class SimPlatform : public PlatformBackend {
public:
    // The machine folder defaults to the shared rule ($TALLOWMERE_SIM_DIR, …); the stand-in tools link to
    // `macsimPath`, by default macsimExecutable().
    explicit SimPlatform(Runtime& runtime, std::string folder = {}, std::string macsimPath = {});
    ~SimPlatform() override;
    SimPlatform(const SimPlatform&) = delete;
    SimPlatform& operator=(const SimPlatform&) = delete;

    bool start(std::string* error = nullptr) override;
    void stop() override;

    Platform platform() override;
    // The machine's own analytics endpoint, and a defaults domain of its own in the simulated home.
    std::shared_ptr<HttpTransport> analyticsTransport() override;
    PreferenceStore& analyticsPreferences() override { return *m_analyticsPreferences; }
    macsim::Machine& machine() { return m_machine; }
    PlistPreferenceStore& preferences() { return *m_preferences; }
    SimApplication& application() { return m_application; }
    SimWorkspace& workspace() { return m_workspace; }
    SimSystemPower& systemPower() { return m_systemPower; }
    SimUserNotificationCenter& notifications() { return m_notifications; }
    SimFileSystem& fileSystem() { return m_fileSystem; }

    // Answers `macsim ui …`. Without one, every ui request fails.
    void setUserInterfaceDriver(UserInterfaceDriver driver) override { m_userInterfaceDriver = std::move(driver); }

    // $TALLOWMERE_MACSIM, else the macsim built with this application.
    static std::string macsimExecutable();
    // A Mac; with $TALLOWMERE_SIM_DESKTOP set, what a Linux desktop of that name ($XDG_CURRENT_DESKTOP) without a
    // tray offers, so that the application can be seen and tested as it runs there.
    static PlatformFeatures simulatedFeatures();
    // One copy of the application per machine: <machine>/app.lock, of the machine the default rule names.
    static std::string instanceLockPath();

private:
    std::optional<QJsonObject> handle(const QJsonObject& message, const SimEventListener::Reply& later);
    void onMain(std::function<void()> task);

    Runtime& m_runtime;
    macsim::Machine m_machine;
    std::unique_ptr<PlistPreferenceStore> m_preferences;
    std::unique_ptr<PlistPreferenceStore> m_analyticsPreferences;
    QtProcessRunner m_processes;
    SimFileSystem m_fileSystem;
    SimSystemTools m_tools;
    SimSystemPower m_systemPower;
    SimPowerAssertions m_assertions;
    SimPowerSources m_powerSources;
    SimWorkspace m_workspace;
    SimApplication m_application;
    SimUserNotificationCenter m_notifications;
    SimLoginItem m_loginItem;
    SimUpdaterFramework m_updaterFramework;
    BuildBundle m_bundle;
    SimDiskArbitration m_diskArbitration;
    PlatformFeatures m_features = simulatedFeatures();
    SimEventListener m_listener;
    UserInterfaceDriver m_userInterfaceDriver;
    std::shared_ptr<int> m_alive = std::make_shared<int>(0);
    bool m_started = false;
};

} // namespace tallowmere
