#pragma once

#include "platform/SystemPower.h"
#include "platform/linux/LogindInhibitor.h"

#include <QDBusConnection>
#include <QObject>

#include <functional>
#include <mutex>

namespace tallowmere {

// System power on logind. While registered it holds a "sleep" delay inhibitor, so logind waits (up to its
// InhibitDelayMaxSec) for the application before suspending. PrepareForSleep(true) is the will-sleep message;
// allowing it closes the inhibitor. PrepareForSleep(false) is the powered-on message, and a new inhibitor is
// taken for the next sleep. Each message gets an argument of its own, so a late answer to an earlier one is
// told apart. Before each message `prepare` hears of it, and after it `announce` tells the workspace (will sleep /
// did wake), registered or not.
class LinuxSystemPower : public QObject, public SystemPower {
    Q_OBJECT
public:
    using Announcement = std::function<void(bool sleeping)>;

    LinuxSystemPower(QDBusConnection bus, Announcement prepare, Announcement announce);

    // Main thread: listens to logind from now on.
    bool start(std::string* error = nullptr);

    PowerRegistration registerForSystemPower(MessageHandler handler) override;
    void allowPowerChange(std::uint32_t rootPowerPort, std::intptr_t messageArgument) override;
    void destroyNotificationPort(std::uintptr_t notificationPort) override;
    void deregisterForSystemPower(std::uint32_t notifierObject) override;
    void closeService(std::uint32_t rootPowerPort) override;

    static constexpr std::uint32_t rootPowerPort = 1;
    static constexpr std::uint32_t notifierObject = 1;
    static constexpr std::uintptr_t notificationPort = 1;

private slots:
    void prepareForSleep(bool sleeping);

private:
    bool holdSleep();

    QDBusConnection m_bus;
    Announcement m_prepare;
    Announcement m_announce;
    std::mutex m_mutex;
    MessageHandler m_handler;
    LogindInhibitor m_inhibitor;
    std::intptr_t m_lastArgument = 0;
    std::intptr_t m_pendingArgument = 0;
};

} // namespace tallowmere
