#pragma once

#include "platform/Bundle.h"
#include "platform/PlatformFeatures.h"
#include "platform/Workspace.h"

#include <functional>
#include <string>

namespace tallowmere {

// The About page: fixed texts and three links. Nothing on it changes, so it has no change signal.
class AboutSettingsModel {
public:
    // "About Tallowmere", in the user's language.
    static std::string heading();
    // Three paragraphs in the user's language: what the application does for the machine, then who makes it and
    // where to ask.
    static std::string caption(MachineKind machine);

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
