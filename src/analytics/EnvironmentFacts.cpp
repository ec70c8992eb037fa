#include "analytics/EnvironmentFacts.h"

#include "platform/Bundle.h"

#include <QLocale>
#include <QStringList>
#include <QSysInfo>

#ifdef Q_OS_MACOS
#include <sys/sysctl.h>
#endif

namespace tallowmere {
namespace {

std::string bundleString(Bundle& bundle, std::string_view key, const char* fallback) {
    if (auto value = bundle.infoValue(key))
        if (const auto* text = value->as<std::string>())
            return *text;
    return fallback;
}

std::string machineModelName() {
#ifdef Q_OS_MACOS
    char model[256] = {};
    size_t size = sizeof(model) - 1;
    if (sysctlbyname("hw.model", model, &size, nullptr, 0) == 0)
        return model;
#endif
    return QSysInfo::prettyProductName().toStdString();
}

} // namespace

EnvironmentFacts EnvironmentFacts::current(Bundle& bundle) {
    EnvironmentFacts facts;
    facts.appVersion = bundleString(bundle, "CFBundleShortVersionString", TALLOWMERE_VERSION);
    facts.buildNumber = bundleString(bundle, "CFBundleVersion", TALLOWMERE_BUILD_NUMBER);
    facts.modelName = machineModelName();

    QStringList version = QSysInfo::productVersion().split('.');
    facts.systemVersion = QSysInfo::productVersion().toStdString();
    facts.systemMajorVersion = version.value(0).toStdString();
    facts.systemMajorMinorVersion =
        (version.value(0) + "." + (version.size() > 1 ? version.value(1) : "0")).toStdString();

    facts.timeZone = QTimeZone::systemTimeZone();

    QLocale locale = QLocale::system();
    facts.locale = locale.name().toStdString();
    facts.region = QLocale::territoryToCode(locale.territory()).toStdString();
    QString preferred = locale.uiLanguages().value(0, locale.bcp47Name());
    facts.preferredLanguage = preferred.toStdString();
    facts.userLanguage = QLocale::languageToCode(QLocale(preferred).language()).toStdString();
    facts.layoutDirection = locale.textDirection() == Qt::RightToLeft ? "rightToLeft" : "leftToRight";

#ifdef NDEBUG
    facts.isDebug = false;
#else
    facts.isDebug = true;
#endif
    return facts;
}

} // namespace tallowmere
