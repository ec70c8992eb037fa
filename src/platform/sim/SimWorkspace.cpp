#include "platform/sim/SimWorkspace.h"

#include <QUrl>

namespace tallowmere {

SimWorkspace::SimWorkspace(macsim::Machine machine, Runtime& runtime)
    : m_machine(std::move(machine))
    , m_runtime(runtime) {}

std::optional<std::string> SimWorkspace::unmountAndEjectDevice(const std::string& mountPath) {
    m_machine.waitWhileHung(mountPath);
    macsim::MachineResult result = m_machine.eject(mountPath);
    if (!result.ok)
        return result.message;
    std::weak_ptr<LocalNotificationCenter> center = m_center;
    for (const std::string& name : result.announcements) {
        m_runtime.mainAsync([center, name] {
            if (auto strong = center.lock())
                strong->post(name);
        });
    }
    return std::nullopt;
}

bool SimWorkspace::openURL(const std::string& url) {
    // Like NSWorkspace, a text that is no URL with a scheme opens nothing.
    QUrl parsed(QString::fromStdString(url), QUrl::StrictMode);
    if (!parsed.isValid() || parsed.scheme().isEmpty())
        return false;
    return m_machine.update([&](macsim::MachineState& state) {
        state.openedURLs.push_back(url);
        return true;
    });
}

} // namespace tallowmere
