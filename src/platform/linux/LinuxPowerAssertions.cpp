#include "platform/linux/LinuxPowerAssertions.h"

#include "platform/linux/DBusCalls.h"

namespace tallowmere {
namespace {

const QString screensaverService = "org.freedesktop.ScreenSaver";
const QString screensaverPath = "/org/freedesktop/ScreenSaver";

} // namespace

LinuxPowerAssertions::LinuxPowerAssertions(QDBusConnection systemBus, QDBusConnection sessionBus)
    : m_system(std::move(systemBus))
    , m_session(std::move(sessionBus)) {}

AssertionResult LinuxPowerAssertions::create(const std::string& type, std::uint32_t, const std::string& name) {
    const bool displaySleep = type == AssertionType::preventUserIdleDisplaySleep;
    if (!displaySleep && type != AssertionType::preventUserIdleSystemSleep)
        return {returnBadArgument, 0};
    const QString reason = QString::fromStdString(name);
    bool sleeping = false;
    {
        std::lock_guard lock(m_mutex);
        sleeping = m_sleeping;
    }
    Held held{{}, std::nullopt, reason};
    if (!sleeping) {
        auto inhibitor = takeInhibitor(reason);
        if (!inhibitor)
            return {returnError, 0};
        held.inhibitor = std::move(*inhibitor);
    }
    // Desktops without the screensaver service have nothing to blank; the logind lock still holds the system.
    if (displaySleep && m_session.isConnected()) {
        QDBusMessage reply = dbus::call(m_session, screensaverService, screensaverPath, screensaverService, "Inhibit",
                                        {"Tallowmere", reason});
        if (!dbus::errorOf(reply) && !reply.arguments().isEmpty())
            held.screensaverCookie = reply.arguments().constFirst().toUInt();
    }
    std::lock_guard lock(m_mutex);
    std::uint32_t id = m_next++;
    m_held.emplace(id, std::move(held));
    return {returnSuccess, id};
}

std::optional<LogindInhibitor> LinuxPowerAssertions::takeInhibitor(const QString& reason) const {
    return LogindInhibitor::take(m_system, "idle:sleep", reason, "block");
}

void LinuxPowerAssertions::sleepChanging(bool sleeping) {
    std::map<std::uint32_t, QString> waiting;
    {
        std::lock_guard lock(m_mutex);
        m_sleeping = sleeping;
        if (sleeping)
            return;
        for (const auto& [id, held] : m_held)
            if (!held.inhibitor.isHeld())
                waiting.emplace(id, held.reason);
    }
    for (const auto& [id, reason] : waiting) {
        std::optional<LogindInhibitor> inhibitor = takeInhibitor(reason);
        std::lock_guard lock(m_mutex);
        // Released, or a newer suspend announced, while logind answered: the inhibitor closes with this scope.
        if (auto held = m_held.find(id); inhibitor && held != m_held.end() && !m_sleeping)
            held->second.inhibitor = std::move(*inhibitor);
    }
}

int LinuxPowerAssertions::release(std::uint32_t assertionID) {
    Held held;
    {
        std::lock_guard lock(m_mutex);
        auto it = m_held.find(assertionID);
        if (it == m_held.end())
            return returnBadArgument;
        held = std::move(it->second);
        m_held.erase(it);
    }
    held.inhibitor.release();
    if (held.screensaverCookie)
        dbus::call(m_session, screensaverService, screensaverPath, screensaverService, "UnInhibit",
                   {*held.screensaverCookie});
    return returnSuccess;
}

} // namespace tallowmere
