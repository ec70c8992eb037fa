#include "platform/linux/LinuxFileSystem.h"

#include "platform/linux/MountedVolumes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <unistd.h>

namespace tallowmere {
namespace {

FileReadResult failed(int error) {
    FileReadResult result;
    result.errorDomain = LinuxFileSystem::errorDomain;
    switch (error) {
    case ENOENT:
    case ENOTDIR:
        result.errorCode = LinuxFileSystem::noSuchFileError;
        break;
    case EACCES:
    case EPERM:
        result.errorCode = LinuxFileSystem::noPermissionError;
        break;
    default:
        result.errorCode = LinuxFileSystem::unknownReadError;
    }
    return result;
}

} // namespace

std::string LinuxFileSystem::hostPath(const std::string& path) {
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

bool LinuxFileSystem::exists(const std::string& path) {
    return QFileInfo::exists(QString::fromStdString(hostPath(path)));
}

bool LinuxFileSystem::isDirectory(const std::string& path) {
    return QFileInfo(QString::fromStdString(hostPath(path))).isDir();
}

bool LinuxFileSystem::isExecutableFile(const std::string& path) {
    QFileInfo info(QString::fromStdString(hostPath(path)));
    return info.isFile() && info.isExecutable();
}

FileReadResult LinuxFileSystem::listDirectory(const std::string& path) {
    std::error_code error;
    std::filesystem::directory_iterator it(hostPath(path), error);
    if (error)
        return failed(error.value());
    FileReadResult result;
    for (; it != std::filesystem::directory_iterator(); it.increment(error)) {
        if (error)
            return failed(error.value());
        result.entries.push_back(it->path().filename().string());
    }
    std::sort(result.entries.begin(), result.entries.end());
    result.ok = true;
    return result;
}

FileReadResult LinuxFileSystem::readFile(const std::string& path) {
    int fd = ::open(hostPath(path).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return failed(errno);
    FileReadResult result;
    char buffer[65536];
    for (;;) {
        ssize_t count = ::read(fd, buffer, sizeof buffer);
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0) {
            int error = errno;
            ::close(fd);
            return failed(error);
        }
        if (count == 0)
            break;
        result.contents.append(buffer, static_cast<size_t>(count));
    }
    ::close(fd);
    result.ok = true;
    return result;
}

bool LinuxFileSystem::writeFileAtomically(const std::string& path, const std::string& bytes) {
    QString file = QString::fromStdString(hostPath(path));
    if (!QDir().mkpath(QFileInfo(file).absolutePath()))
        return false;
    QSaveFile save(file);
    return save.open(QIODevice::WriteOnly) &&
           save.write(bytes.data(), static_cast<qint64>(bytes.size())) == static_cast<qint64>(bytes.size()) &&
           save.commit();
}

bool LinuxFileSystem::moveItem(const std::string& from, const std::string& to) {
    return QFile::rename(QString::fromStdString(hostPath(from)), QString::fromStdString(hostPath(to)));
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
