#pragma once

#include <QTimeZone>

#include <string>

namespace tallowmere {

class Bundle;

// Facts about the running application and computer that every signal carries.
struct EnvironmentFacts {
    std::string appVersion;
    std::string buildNumber;
    std::string modelName;
    std::string architecture = "x86_64";
    std::string systemVersion;
    std::string systemMajorVersion;
    std::string systemMajorMinorVersion;
    QTimeZone timeZone = QTimeZone::utc();
    std::string locale;             // "en_US"
    std::string region;             // "US"
    std::string appLanguage = "en"; // the language the application's texts are in
    std::string userLanguage;       // the user's first preferred language, as a language code ("de")
    std::string preferredLanguage;  // the same preference in full ("de-CH")
    std::string layoutDirection;    // "leftToRight" or "rightToLeft"
    bool isDebug = false;
    bool isSimulator = false;
    bool isTestFlight = false;
    bool isAppStore = false;
    std::string extensionIdentifier; // empty: the application is not an extension

    // The facts of this process: the bundle's version, the system's version, locale and time zone.
    static EnvironmentFacts current(Bundle& bundle);
};

} // namespace tallowmere
