#include "analytics/EnrichmentParameters.h"

#include <QDateTime>
#include <QString>

namespace tallowmere {
namespace {

std::string flag(bool value) {
    return value ? "true" : "false";
}

std::string number(double value) {
    return QString::number(value).toStdString();
}

std::string orientation(const ScreenMetrics& screen) {
    if (screen.width <= 0 || screen.height <= 0)
        return "Unknown";
    return screen.width >= screen.height ? "Landscape" : "Portrait";
}

} // namespace

SignalParameters enrichmentParameters(const EnvironmentFacts& facts, const ScreenMetrics& screen, WallTime now) {
    constexpr const char* operatingSystem = "macOS";
    constexpr const char* targetEnvironment = "native";
    const std::string sdkNameAndVersion = std::string(analyticsSDKName) + " " + analyticsSDKVersion;

    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count();
    QDateTime local = QDateTime::fromMSecsSinceEpoch(ms, facts.timeZone);
    QDate date = local.date();

    SignalParameters p;
    p["Analytics.AppInfo.buildNumber"] = facts.buildNumber;
    p["Analytics.AppInfo.version"] = facts.appVersion;
    p["Analytics.AppInfo.versionAndBuildNumber"] = facts.appVersion + " (build " + facts.buildNumber + ")";
    p["Analytics.Device.architecture"] = facts.architecture;
    p["Analytics.Device.modelName"] = facts.modelName;
    p["Analytics.Device.operatingSystem"] = operatingSystem;
    p["Analytics.Device.orientation"] = orientation(screen);
    p["Analytics.Device.platform"] = operatingSystem;
    p["Analytics.Device.screenResolutionHeight"] = std::to_string(screen.height);
    p["Analytics.Device.screenResolutionWidth"] = std::to_string(screen.width);
    p["Analytics.Device.screenScaleFactor"] = number(screen.scaleFactor);
    p["Analytics.Device.systemMajorMinorVersion"] = facts.systemMajorMinorVersion;
    p["Analytics.Device.systemMajorVersion"] = facts.systemMajorVersion;
    p["Analytics.Device.systemVersion"] = facts.systemVersion;
    p["Analytics.Device.timeZone"] = facts.timeZone.id().toStdString();
    p["Analytics.RunContext.isAppStore"] = flag(facts.isAppStore);
    p["Analytics.RunContext.isDebug"] = flag(facts.isDebug);
    p["Analytics.RunContext.isSimulator"] = flag(facts.isSimulator);
    p["Analytics.RunContext.isTestFlight"] = flag(facts.isTestFlight);
    p["Analytics.RunContext.language"] = facts.appLanguage;
    p["Analytics.RunContext.locale"] = facts.locale;
    p["Analytics.RunContext.targetEnvironment"] = targetEnvironment;
    p["Analytics.RunContext.extensionIdentifier"] = facts.extensionIdentifier;
    p["Analytics.SDK.name"] = analyticsSDKName;
    p["Analytics.SDK.nameAndVersion"] = sdkNameAndVersion;
    p["Analytics.SDK.version"] = analyticsSDKVersion;
    p["Analytics.UserPreference.colorScheme"] = screen.colorScheme;
    p["Analytics.UserPreference.language"] = facts.userLanguage;
    p["Analytics.UserPreference.layoutDirection"] = facts.layoutDirection;
    p["Analytics.UserPreference.region"] = facts.region;
    // ISO calendar: weeks start on Monday (day 1), week numbers follow ISO 8601.
    p["Analytics.Calendar.dayOfMonth"] = std::to_string(date.day());
    p["Analytics.Calendar.dayOfWeek"] = std::to_string(date.dayOfWeek());
    p["Analytics.Calendar.dayOfYear"] = std::to_string(date.dayOfYear());
    p["Analytics.Calendar.weekOfYear"] = std::to_string(date.weekNumber());
    p["Analytics.Calendar.isWeekend"] = flag(date.dayOfWeek() >= 6);
    p["Analytics.Calendar.monthOfYear"] = std::to_string(date.month());
    p["Analytics.Calendar.quarterOfYear"] = std::to_string((date.month() - 1) / 3 + 1);
    p["Analytics.Calendar.hourOfDay"] = std::to_string(local.time().hour());
    p["Analytics.Accessibility.isReduceMotionEnabled"] = flag(screen.isReduceMotionEnabled);
    p["Analytics.Accessibility.isInvertColorsEnabled"] = flag(screen.isInvertColorsEnabled);

    p["platform"] = operatingSystem;
    p["systemVersion"] = facts.systemVersion;
    p["majorSystemVersion"] = facts.systemMajorVersion;
    p["majorMinorSystemVersion"] = facts.systemMajorMinorVersion;
    p["appVersion"] = facts.appVersion;
    p["buildNumber"] = facts.buildNumber;
    p["isSimulator"] = flag(facts.isSimulator);
    p["isDebug"] = flag(facts.isDebug);
    p["isTestFlight"] = flag(facts.isTestFlight);
    p["isAppStore"] = flag(facts.isAppStore);
    p["modelName"] = facts.modelName;
    p["architecture"] = facts.architecture;
    p["operatingSystem"] = operatingSystem;
    p["targetEnvironment"] = targetEnvironment;
    p["locale"] = facts.locale;
    p["region"] = facts.region;
    p["appLanguage"] = facts.appLanguage;
    p["preferredLanguage"] = facts.preferredLanguage;
    p["extensionIdentifier"] = facts.extensionIdentifier;
    p["analyticsClientVersion"] = sdkNameAndVersion;
    return p;
}

} // namespace tallowmere
