#include "platform/mac/MacFileSystem.h"

#include "platform/HostFiles.h"

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

bool MacFileSystem::exists(const std::string& path) {
    return HostFiles::exists(path);
}

bool MacFileSystem::isDirectory(const std::string& path) {
    return HostFiles::isDirectory(path);
}

bool MacFileSystem::isExecutableFile(const std::string& path) {
    return HostFiles::isExecutableFile(path);
}

FileReadResult MacFileSystem::listDirectory(const std::string& path) {
    return HostFiles::listDirectory(path);
}

FileReadResult MacFileSystem::readFile(const std::string& path) {
    return HostFiles::readFile(path);
}

bool MacFileSystem::writeFileAtomically(const std::string& path, const std::string& bytes) {
    return HostFiles::writeFileAtomically(path, bytes);
}

bool MacFileSystem::moveItem(const std::string& from, const std::string& to) {
    return HostFiles::moveItem(from, to);
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
