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
    auto inhibitor = LogindInhibitor::take(m_system, "idle:sleep", QString::fromStdString(name), "block");
    if (!inhibitor)
        return {returnError, 0};

    Held held{std::move(*inhibitor), std::nullopt};
    // Desktops without the screensaver service have nothing to blank; the logind lock still holds the system.
    if (displaySleep && m_session.isConnected()) {
        QDBusMessage reply = dbus::call(m_session, screensaverService, screensaverPath, screensaverService, "Inhibit",
                                        {"Tallowmere", QString::fromStdString(name)});
        if (!dbus::errorOf(reply) && !reply.arguments().isEmpty())
            held.screensaverCookie = reply.arguments().constFirst().toUInt();
    }
    std::lock_guard lock(m_mutex);
    std::uint32_t id = m_next++;
    m_held.emplace(id, std::move(held));
    return {returnSuccess, id};
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
