#include "platform/linux/LinuxFileSystem.h"

#include "platform/linux/MountedVolumes.h"

#include <QDir>
#include <QStandardPaths>

namespace tallowmere {

std::string LinuxFileSystem::hostPath(const std::string& path) const {
    if (path.starts_with("/Volumes/"))
        return MountedVolumes::current().hostPath(path).value_or(path);
    return path;
}

std::optional<std::vector<std::string>> LinuxFileSystem::mountedVolumePaths() {
    std::vector<std::string> paths{"/"};
    const MountedVolumes mounted = MountedVolumes::current();
    for (const MountedVolumes::Volume& volume : mounted.volumes())
        paths.push_back(volume.path());
    return paths;
}

std::string LinuxFileSystem::homeDirectory() {
    return QDir::homePath().toStdString();
}

std::optional<std::string> LinuxFileSystem::cachesDirectory() {
    // A folder of our own inside the shared one, as every XDG program keeps its caches.
    QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    if (folder.isEmpty())
        return std::nullopt;
    return (folder + "/tallowmere").toStdString();
}

} // namespace tallowmere
