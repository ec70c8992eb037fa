#include "platform/mac/MacFileSystem.h"

#include <QDir>
#include <QStandardPaths>
#include <QStorageInfo>

namespace tallowmere {

// Every mounted file system but the pseudo ones (devfs, …), as Qt documents it; the logic looks only at those
// under /Volumes/. Whether Qt counts network shares as pseudo file systems on macOS is unconfirmed.
std::optional<std::vector<std::string>> MacFileSystem::mountedVolumePaths() {
    std::vector<std::string> paths;
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes())
        paths.push_back(volume.rootPath().toStdString());
    return paths;
}

std::string MacFileSystem::homeDirectory() {
    return QDir::homePath().toStdString();
}

// ~/Library/Caches.
std::optional<std::string> MacFileSystem::cachesDirectory() {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    if (folder.isEmpty())
        return std::nullopt;
    return folder.toStdString();
}

} // namespace tallowmere
