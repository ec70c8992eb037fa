#include "models/AboutSettingsModel.h"

#include "base/MachineTexts.h"
#include "models/SettingsLinks.h"
#include "platform/Translation.h"

namespace tallowmere {

AboutSettingsModel::AboutSettingsModel(Bundle& bundle, Workspace& workspace, std::function<void()> relaunchOnboarding)
    : m_bundle(bundle)
    , m_workspace(workspace)
    , m_relaunchOnboarding(std::move(relaunchOnboarding)) {}

std::string AboutSettingsModel::heading() {
    return translated("AboutSettingsModel", "About Tallowmere");
}

std::string AboutSettingsModel::caption(MachineKind machine) {
    return machineText(MachineText::aboutSummary, machine) + "\n\n" +
           translated("AboutSettingsModel",
                      "Tallowmere is made by a small independent team. It never collects personal data, file contents "
                      "or drive details, and usage analytics can be turned off in General.\n\n"
                      "Questions or problems? Choose Contact Support and we will get back to you.");
}

std::string AboutSettingsModel::versionLine() const {
    return filledIn(translated("AboutSettingsModel", "Version %1"), versionText(m_bundle));
}

void AboutSettingsModel::showWelcomeGuide() {
    if (m_relaunchOnboarding)
        m_relaunchOnboarding();
}

void AboutSettingsModel::contactSupport() {
    SettingsLinks::open(m_workspace, SettingsLinks::supportMailURL());
}

void AboutSettingsModel::openPrivacyPolicy() {
    SettingsLinks::open(m_workspace, SettingsLinks::privacyPolicyURL());
}

} // namespace tallowmere
