#include "platform/PlatformFeatures.h"

#include <QString>
#include <QStringList>
#include <QUrl>

namespace tallowmere {

PlatformFeatures PlatformFeatures::linuxDesktop(const std::string& currentDesktop, bool statusArea) {
    PlatformFeatures features;
    features.machine = MachineKind::computer;
    features.updater = false;
    features.fullDiskAccess = false;
    features.notificationSettings.reset();
    features.statusArea = statusArea;
    features.desktop = currentDesktop;
    for (const QString& name : QString::fromStdString(currentDesktop).split(':', Qt::SkipEmptyParts)) {
        if (name.compare("GNOME", Qt::CaseInsensitive) == 0)
            features.notificationSettings = SystemSettingsPage{{}, {"gnome-control-center", "notifications"}};
        else if (name.compare("KDE", Qt::CaseInsensitive) == 0)
            features.notificationSettings = SystemSettingsPage{{}, {"systemsettings", "kcm_notifications"}};
        if (features.notificationSettings)
            break;
    }
    return features;
}

bool openSystemSettingsPage(const SystemSettingsPage& page, Workspace& workspace, ProcessRunner& processes) {
    if (!page.url.empty()) {
        const QUrl parsed(QString::fromStdString(page.url), QUrl::StrictMode);
        return parsed.isValid() && !parsed.scheme().isEmpty() && workspace.openURL(page.url);
    }
    if (page.command.empty())
        return false;
    return !processes.launchDetached(page.command.front(), {page.command.begin() + 1, page.command.end()});
}

} // namespace tallowmere
