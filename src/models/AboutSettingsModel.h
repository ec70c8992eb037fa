#pragma once

#include "platform/Bundle.h"
#include "platform/Workspace.h"

#include <functional>
#include <string>

namespace tallowmere {

// The About page: fixed texts and three links. Nothing on it changes, so it has no change signal.
class AboutSettingsModel {
public:
    static constexpr const char* heading = "About Tallowmere";
    static constexpr const char* caption =
        "Tallowmere safely ejects your external drives before your Mac sleeps and can keep your Mac awake when "
        "you need it.\n\n"
        "Tallowmere is made by a small independent team. It never collects personal data, file contents or drive "
        "details, and usage analytics can be turned off in General.\n\n"
        "Questions or problems? Choose Contact Support and we will get back to you.";

    AboutSettingsModel(Bundle& bundle, Workspace& workspace, std::function<void()> relaunchOnboarding);

    // "Version 1.0.0 (build 1)", the bundle's version as the Updates page shows it.
    std::string versionLine() const;

    // "Show Welcome Guide…"
    void showWelcomeGuide();
    // "Contact Support"
    void contactSupport();
    // "Privacy Policy"
    void openPrivacyPolicy();

private:
    Bundle& m_bundle;
    Workspace& m_workspace;
    std::function<void()> m_relaunchOnboarding;
};

} // namespace tallowmere
