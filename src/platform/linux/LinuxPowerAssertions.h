#pragma once

#include "platform/PowerAssertions.h"
#include "platform/linux/LogindInhibitor.h"

#include <QDBusConnection>

#include <map>
#include <mutex>
#include <optional>

namespace tallowmere {

// Power assertions as logind block inhibitors. Either kind keeps the system up ("idle:sleep": no idle action,
// no suspend that honours inhibitors); preventing display sleep also inhibits the session's screensaver
// (org.freedesktop.ScreenSaver), which is what keeps a desktop from blanking, locking and idling. Releasing
// the assertion releases both. Once logind has announced a suspend, no block inhibitor is taken until it reports
// the resume: one taken then would only hold the next suspend back. An assertion made meanwhile gets its inhibitor
// with the resume, if it is still held.
class LinuxPowerAssertions : public PowerAssertions {
public:
    LinuxPowerAssertions(QDBusConnection systemBus, QDBusConnection sessionBus);

    AssertionResult create(const std::string& type, std::uint32_t level, const std::string& name) override;
    int release(std::uint32_t assertionID) override;

    // logind's PrepareForSleep, before the application hears of it. Main thread.
    void sleepChanging(bool sleeping);

    static constexpr int returnSuccess = 0;
    static constexpr int returnError = static_cast<int>(0xE00002BC);       // kIOReturnError
    static constexpr int returnBadArgument = static_cast<int>(0xE00002C2); // kIOReturnBadArgument

private:
    struct Held {
        LogindInhibitor inhibitor;
        std::optional<std::uint32_t> screensaverCookie;
        QString reason;
    };
    std::optional<LogindInhibitor> takeInhibitor(const QString& reason) const;

    QDBusConnection m_system;
    QDBusConnection m_session;
    std::mutex m_mutex;
    std::map<std::uint32_t, Held> m_held;
    std::uint32_t m_next = 1;
    bool m_sleeping = false;
};

} // namespace tallowmere
