#include "platform/sim/SimFileSystem.h"

#include <QDir>

namespace tallowmere {
namespace {

bool isWithin(const std::string& path, const std::string& folder) {
    return path == folder ||
           (path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0 && path[folder.size()] == '/');
}

} // namespace

SimFileSystem::SimFileSystem(macsim::Machine machine)
    : m_machine(std::move(machine)) {}

std::string SimFileSystem::hostPath(const std::string& path) const {
    std::string clean = QDir::cleanPath(QString::fromStdString(path)).toStdString();
    auto rebase = [&](const std::string& macFolder, const std::string& hostFolder) -> std::optional<std::string> {
        if (!isWithin(clean, macFolder))
            return std::nullopt;
        return hostFolder + clean.substr(macFolder.size());
    };
    if (auto mapped = rebase("/Volumes", m_machine.volumesFolder()))
        return *mapped;
    if (auto mapped = rebase(homePath, m_machine.homeFolder()))
        return *mapped;
    if (clean == "/System/Volumes/Data")
        return m_machine.folder();
    if (clean == "/usr/sbin/diskutil")
        return m_machine.binFolder() + "/diskutil";
    if (clean == "/usr/bin/tmutil")
        return m_machine.binFolder() + "/tmutil";
    if (clean == "/usr/bin/pmset")
        return m_machine.binFolder() + "/pmset";
    return clean;
}

bool SimFileSystem::isProtected(const std::string& host) const {
    return isWithin(host, m_machine.protectedFolder()) &&
           m_machine.state().fullDiskAccess == macsim::FullDiskAccess::denied;
}

std::optional<std::vector<std::string>> SimFileSystem::mountedVolumePaths() {
    std::vector<std::string> paths = {"/", "/System/Volumes/Data"};
    for (const macsim::Volume& volume : m_machine.state().volumes)
        if (volume.state == macsim::VolumeState::mounted)
            paths.push_back(volume.mountPoint());
    return paths;
}

} // namespace tallowmere
