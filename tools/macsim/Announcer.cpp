#include "Announcer.h"

#include "simulator/AppLink.h"

#include <QFileInfo>

namespace macsim {

void Announcer::workspace(const std::vector<std::string>& names) const {
    for (const std::string& name : names)
        workspace(name);
}

void Announcer::post(const std::string& center, const std::string& name) const {
    if (QFileInfo::exists(QString::fromStdString(m_machine.socketPath())))
        AppLink::deliver(m_machine.socketPath(), AppEvent::notification(center, name));
}

void Announcer::defaultsChanged() const {
    if (QFileInfo::exists(QString::fromStdString(m_machine.socketPath())))
        AppLink::deliver(m_machine.socketPath(), AppEvent::defaultsChanged());
}

} // namespace macsim
