#include "models/SettingsLinks.h"

#include <QUrl>

namespace tallowmere::SettingsLinks {

std::string websiteDomain() {
    return TALLOWMERE_WEBSITE_DOMAIN;
}

std::string releaseNotesURL() {
    return "https://" + websiteDomain() + "/#release-notes";
}

std::string privacyPolicyURL() {
    return "https://" + websiteDomain() + "/policies";
}

std::string supportMailURL() {
    return "mailto:support@" + websiteDomain() + "?subject=Tallowmere%20Support%20Request";
}

void open(Workspace& workspace, const std::string& url) {
    const QUrl parsed(QString::fromStdString(url), QUrl::StrictMode);
    if (parsed.isValid() && !parsed.scheme().isEmpty())
        workspace.openURL(url);
}

} // namespace tallowmere::SettingsLinks
