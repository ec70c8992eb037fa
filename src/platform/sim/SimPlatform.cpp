#include "platform/sim/SimPlatform.h"

#include "platform/sim/SimAnalyticsTransport.h"

#include "simulator/AppLink.h"
#include "simulator/SimulatorFolder.h"

#include "platform/ClampedInteger.h"
#include "platform/Log.h"

#include <QJsonArray>

#include <cstdlib>
#include <unistd.h>

namespace tallowmere {

std::string SimPlatform::macsimExecutable() {
    if (const char* path = std::getenv("TALLOWMERE_MACSIM"); path && *path)
        return path;
    return TALLOWMERE_MACSIM_PATH;
}

PlatformFeatures SimPlatform::simulatedFeatures() {
    const char* desktop = std::getenv("TALLOWMERE_SIM_DESKTOP");
    if (!desktop || !*desktop)
        return PlatformFeatures{};
    return PlatformFeatures::linuxDesktop(desktop, false);
}

SimPlatform::SimPlatform(Runtime& runtime, std::string folder, std::string macsimPath)
    : m_runtime(runtime)
    , m_machine(folder.empty() ? macsim::simulatorFolder() : folder,
                macsimPath.empty() ? macsimExecutable() : macsimPath)
    , m_fileSystem(m_machine)
    , m_tools(m_machine)
    , m_systemPower([this](std::intptr_t argument) {
        m_listener.answerPowerMessage(argument, macsim::AppEvent::allowPowerChange(argument));
    })
    , m_assertions(m_machine)
    , m_powerSources(m_machine)
    , m_workspace(m_machine, runtime)
    , m_application(m_machine)
    , m_notifications(m_machine, runtime)
    , m_loginItem(m_machine)
    , m_updaterFramework(m_machine)
    , m_listener(m_machine.socketPath(), [this](const QJsonObject& message, const SimEventListener::Reply& later) {
        return handle(message, later);
    }) {
    std::string error;
    if (!m_machine.prepare(&error))
        logLine(LogCategory::platformSim(), "Simulated Mac: " + error);
    m_preferences = std::make_unique<PlistPreferenceStore>(m_machine.domainPath());
    m_analyticsPreferences = std::make_unique<PlistPreferenceStore>(
        m_machine.folder() + "/home/Library/Preferences/com.tallowmere.app.analytics.plist");
}

std::string SimPlatform::instanceLockPath() {
    return macsim::simulatorFolder() + "/app.lock";
}

std::shared_ptr<HttpTransport> SimPlatform::analyticsTransport() {
    return std::make_shared<SimAnalyticsTransport>(m_machine);
}

SimPlatform::~SimPlatform() {
    stop();
}

bool SimPlatform::start(std::string* error) {
    if (m_started)
        return true;
    if (!m_machine.prepare(error))
        return false;
    macsim::ProcessIdentity self = macsim::ProcessIdentity::current();
    if (auto other = m_machine.attachedApp(); other && other->pid != self.pid)
        logLine(LogCategory::platformSim(),
                "Simulated Mac: taking the machine over from the application with pid " + std::to_string(other->pid));
    m_preferences->startWatching();
    if (!m_listener.start(error))
        return false;
    m_machine.attachApp(self);
    m_started = true;
    return true;
}

void SimPlatform::stop() {
    if (!m_started)
        return;
    m_started = false;
    m_listener.stop();
    m_machine.detachApp(macsim::ProcessIdentity::current());
}

Platform SimPlatform::platform() {
    return Platform{m_runtime,       *m_preferences, m_processes,        m_fileSystem, m_tools,
                    m_systemPower,   m_assertions,   m_powerSources,     m_workspace,  m_application,
                    m_notifications, m_loginItem,    m_updaterFramework, m_bundle,     m_diskArbitration,
                    m_features};
}

void SimPlatform::onMain(std::function<void()> task) {
    std::weak_ptr<int> alive = m_alive;
    m_runtime.mainAsync([alive, task = std::move(task)] {
        if (alive.lock())
            task();
    });
}

// Runs on the listener thread.
std::optional<QJsonObject> SimPlatform::handle(const QJsonObject& message, const SimEventListener::Reply& later) {
    QString event = message.value("event").toString();
    if (event == "ping")
        return macsim::AppEvent::pong(::getpid());
    if (event == "notification") {
        QString center = message.value("center").toString();
        std::shared_ptr<LocalNotificationCenter> target =
            center == "workspace"     ? m_workspace.center()
            : center == "distributed" ? m_application.distributedNotificationCenter()
            : center == "default"     ? m_application.defaultNotificationCenter()
                                      : nullptr;
        if (target)
            onMain([target, name = message.value("name").toString().toStdString()] { target->post(name); });
        return std::nullopt;
    }
    if (event == "power") {
        auto code = clampedInteger<std::uint32_t>(message.value("message").toDouble());
        auto argument = clampedInteger<std::intptr_t>(message.value("argument").toDouble());
        if (!m_systemPower.isRegistered())
            return macsim::AppEvent::powerNotRegistered(argument);
        onMain([this, code, argument] { m_systemPower.deliver(code, argument); });
        return std::nullopt;
    }
    if (event == "ui") {
        onMain([this, message, later] {
            if (!m_userInterfaceDriver) {
                later(macsim::AppEvent::uiResult(1, "", "this application has no user interface"));
                return;
            }
            std::vector<QString> arguments;
            for (const auto& value : message.value("arguments").toArray())
                arguments.push_back(value.toString());
            UserInterfaceAnswer answer = m_userInterfaceDriver(message.value("command").toString(), arguments);
            later(macsim::AppEvent::uiResult(answer.status, answer.output, answer.error));
        });
        return std::nullopt;
    }
    // Not on this thread: the power messages behind the notice must not wait for the file.
    if (event == "defaultsChanged")
        m_preferences->reloadLater();
    return std::nullopt;
}

} // namespace tallowmere
