#include "platform/linux/LinuxFileSystem.h"

#include "platform/linux/MountedVolumes.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QStandardPaths>

namespace tallowmere {
namespace {

// $XDG_STATE_HOME when it is an absolute path (a relative one is to be ignored), else ~/.local/state.
QString stateHome() {
    const QString configured = qEnvironmentVariable("XDG_STATE_HOME");
    return QDir::isAbsolutePath(configured) ? configured : QDir::homePath() + "/.local/state";
}

} // namespace

LinuxFileSystem::LinuxFileSystem()
    : m_supportFolder(homeDirectory() + "/Library/Application Support/Tallowmere")
    , m_stateFolder((stateHome() + "/tallowmere").toStdString()) {
    const QString earlier = QString::fromStdString(m_supportFolder), state = QString::fromStdString(m_stateFolder);
    if (!QDir(earlier).exists())
        return;
    QDir().mkpath(state);
    for (QDirIterator file(earlier, QDir::Files | QDir::Hidden); file.hasNext();) {
        const QString from = file.next();
        QFile::rename(from, state + "/" + file.fileName()); // never over a file of the state folder
    }
    // The folders macOS would have made, as far as they are now empty.
    QDir home = QDir::home();
    for (const char* folder : {"Library/Application Support/Tallowmere", "Library/Application Support", "Library"})
        if (!home.rmdir(folder))
            break;
}

std::string LinuxFileSystem::hostPath(const std::string& path) const {
    if (path.starts_with("/Volumes/"))
        return MountedVolumes::current().hostPath(path).value_or(path);
    if (path.starts_with(m_supportFolder) &&
        (path.size() == m_supportFolder.size() || path[m_supportFolder.size()] == '/'))
        return m_stateFolder + path.substr(m_supportFolder.size());
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
