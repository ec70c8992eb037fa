#pragma once

#include "platform/BuildBundle.h"
#include "platform/NoUpdaterFramework.h"
#include "platform/Platform.h"
#include "platform/PlatformBackend.h"
#include "platform/PlistPreferenceStore.h"
#include "platform/QtProcessRunner.h"
#include "platform/linux/LinuxApplication.h"
#include "platform/linux/LinuxFileSystem.h"
#include "platform/linux/LinuxLoginItem.h"
#include "platform/linux/LinuxPowerAssertions.h"
#include "platform/linux/LinuxPowerSources.h"
#include "platform/linux/LinuxServices.h"
#include "platform/linux/LinuxSessionMonitor.h"
#include "platform/linux/LinuxSystemPower.h"
#include "platform/linux/LinuxUserNotificationCenter.h"
#include "platform/linux/LinuxWorkspace.h"

#include <memory>
#include <string>

namespace tallowmere {

// Every platform service of a Linux desktop: logind and the session's services, UPower and
// power-profiles-daemon, udisks2 (through the diskutil companion and the workspace), the notification service
// and XDG autostart. The defaults domain is a property list in $XDG_CONFIG_HOME/tallowmere. Nothing here needs
// root: udisks2 and logind ask polkit, as for any desktop program.
class LinuxPlatform : public PlatformBackend {
public:
    explicit LinuxPlatform(Runtime& runtime);

    // Main thread, once the QApplication exists. Fails only without a system bus.
    bool start(std::string* error = nullptr) override;

    Platform platform() override;
    PlistPreferenceStore& preferences() { return *m_preferences; }
    // HTTP, and the defaults domain com.tallowmere.app.analytics.
    std::shared_ptr<HttpTransport> analyticsTransport() override;
    PreferenceStore& analyticsPreferences() override { return *m_analyticsPreferences; }

    // Where the defaults live: <configuration folder>/tallowmere/<domain>.plist.
    static std::string domainPath(const std::string& domain);
    // In the user's runtime folder ($XDG_RUNTIME_DIR): one copy of the application per session.
    static std::string instanceLockPath();
    // $TALLOWMERE_COMPANION, else the companion installed beside the application, else the one of this build.
    static std::string companionExecutable();

private:
    Runtime& m_runtime;
    QDBusConnection m_system;
    QDBusConnection m_session;
    std::unique_ptr<PlistPreferenceStore> m_preferences;
    std::unique_ptr<PlistPreferenceStore> m_analyticsPreferences;
    QtProcessRunner m_processes;
    LinuxFileSystem m_fileSystem;
    LinuxSystemTools m_tools;
    LinuxWorkspace m_workspace;
    LinuxApplication m_application;
    LinuxSystemPower m_systemPower;
    LinuxPowerAssertions m_assertions;
    LinuxPowerSources m_powerSources;
    LinuxSessionMonitor m_sessionMonitor;
    LinuxUserNotificationCenter m_notifications;
    LinuxLoginItem m_loginItem;
    NoUpdaterFramework m_updaterFramework; // the distribution's package manager updates the application
    BuildBundle m_bundle;
    LinuxDiskArbitration m_diskArbitration;
    PlatformFeatures m_features = PlatformFeatures::linuxDesktop({}, false); // filled in by `start`
};

} // namespace tallowmere
