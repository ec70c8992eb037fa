#include "models/UpdatesSettingsModel.h"

#include "models/SettingsLinks.h"
#include "platform/Translation.h"

namespace tallowmere {

UpdatesSettingsModel::UpdatesSettingsModel(Bundle& bundle, Workspace& workspace, Delegate delegate)
    : m_bundle(bundle)
    , m_workspace(workspace)
    , m_delegate(std::move(delegate)) {}

std::string UpdatesSettingsModel::versionText() const {
    return tallowmere::versionText(m_bundle);
}

std::string UpdatesSettingsModel::appcastSentence() {
    return filledIn(translated("UpdatesSettingsModel", "Stay up to date with Sparkle. Tallowmere will check the "
                                                       "appcast hosted at %1 for new signed releases."),
                    SettingsLinks::websiteDomain());
}

std::string UpdatesSettingsModel::releaseNotesButtonTitle() {
    return filledIn(translated("UpdatesSettingsModel", "View release notes on %1"), SettingsLinks::websiteDomain());
}

Updater* UpdatesSettingsModel::updater() const {
    return m_delegate.updater ? m_delegate.updater() : nullptr;
}

void UpdatesSettingsModel::setAutomaticallyChecksForUpdates(bool enabled) {
    m_automaticallyChecksForUpdates = enabled;
    if (Updater* updater = this->updater())
        updater->setAutomaticallyChecksForUpdates(enabled);
    emit changed();
}

bool UpdatesSettingsModel::canChangeAutomaticChecks() const {
    return updater() != nullptr;
}

bool UpdatesSettingsModel::canCheckForUpdates() const {
    return bool(m_delegate.checkForUpdates);
}

void UpdatesSettingsModel::checkForUpdates() {
    if (m_delegate.checkForUpdates)
        m_delegate.checkForUpdates();
}

void UpdatesSettingsModel::openReleaseNotes() {
    SettingsLinks::open(m_workspace, SettingsLinks::releaseNotesURL());
}

void UpdatesSettingsModel::pageDidAppear() {
    Updater* updater = this->updater();
    m_automaticallyChecksForUpdates = updater ? updater->automaticallyChecksForUpdates() : true;
    emit changed();
}

} // namespace tallowmere
