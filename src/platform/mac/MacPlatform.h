#pragma once

#include "platform/Platform.h"
#include "platform/PlatformBackend.h"
#include "platform/QtProcessRunner.h"
#include "platform/mac/MacApplication.h"
#include "platform/mac/MacBundle.h"
#include "platform/mac/MacDiskArbitration.h"
#include "platform/mac/MacFileSystem.h"
#include "platform/mac/MacLoginItem.h"
#include "platform/mac/MacPowerAssertions.h"
#include "platform/mac/MacPowerSources.h"
#include "platform/mac/MacPreferenceStore.h"
#include "platform/mac/MacSystemPower.h"
#include "platform/mac/MacUserNotificationCenter.h"
#include "platform/mac/MacWorkspace.h"

#include <memory>

namespace tallowmere {

// Every platform service of a real Mac (`tallowmere --platform mac`, the default there). Create it on the main
// thread once the QApplication exists, `start` it, and hand `platform()` to the application delegate; the
// analytics client keeps its values in their own defaults domain, `analyticsPreferences()`. The updater is
// Sparkle's when the build found Sparkle.framework (TALLOWMERE_SPARKLE), none otherwise.
class MacPlatform : public PlatformBackend {
public:
    explicit MacPlatform(Runtime& runtime);

    // Says what does not work for an executable outside Tallowmere.app; nothing else needs starting, so it
    // always succeeds.
    bool start(std::string* error = nullptr) override;

    Platform platform() override;
    // HTTP, and the defaults domain com.tallowmere.app.analytics.
    std::shared_ptr<HttpTransport> analyticsTransport() override;
    PreferenceStore& analyticsPreferences() override { return m_analyticsPreferences; }

    // One copy per user: in the user's own temporary folder ($TMPDIR, which launchd makes per user).
    static std::string instanceLockPath();

private:
    Runtime& m_runtime;
    std::string m_executablePath;
    MacPreferenceStore m_preferences;
    MacPreferenceStore m_analyticsPreferences;
    QtProcessRunner m_processes;
    MacFileSystem m_fileSystem;
    MacSystemTools m_tools;
    MacSystemPower m_systemPower;
    MacPowerAssertions m_assertions;
    MacPowerSources m_powerSources;
    MacWorkspace m_workspace;
    MacApplication m_application;
    MacUserNotificationCenter m_notifications;
    MacLoginItem m_loginItem;
    std::unique_ptr<UpdaterFramework> m_updaterFramework;
    MacBundle m_bundle;
    MacDiskArbitration m_diskArbitration;
};

} // namespace tallowmere
