#include "platform/sim/SimFileSystem.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <unistd.h>

namespace tallowmere {
namespace {

bool isWithin(const std::string& path, const std::string& folder) {
    return path == folder ||
           (path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0 && path[folder.size()] == '/');
}

FileReadResult failed(int error) {
    FileReadResult result;
    result.errorDomain = SimFileSystem::errorDomain;
    switch (error) {
    case ENOENT:
    case ENOTDIR:
        result.errorCode = SimFileSystem::noSuchFileError;
        break;
    case EACCES:
    case EPERM:
        result.errorCode = SimFileSystem::noPermissionError;
        break;
    default:
        result.errorCode = SimFileSystem::unknownReadError;
    }
    return result;
}

FileReadResult deniedAccess() {
    FileReadResult result;
    result.errorCode = SimFileSystem::noPermissionError;
    result.errorDomain = SimFileSystem::errorDomain;
    return result;
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

bool SimFileSystem::exists(const std::string& path) {
    return QFileInfo::exists(QString::fromStdString(hostPath(path)));
}

bool SimFileSystem::isDirectory(const std::string& path) {
    return QFileInfo(QString::fromStdString(hostPath(path))).isDir();
}

bool SimFileSystem::isExecutableFile(const std::string& path) {
    QFileInfo info(QString::fromStdString(hostPath(path)));
    return info.isFile() && info.isExecutable();
}

FileReadResult SimFileSystem::listDirectory(const std::string& path) {
    std::string host = hostPath(path);
    if (isProtected(host))
        return deniedAccess();
    std::error_code error;
    std::filesystem::directory_iterator it(host, error);
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

FileReadResult SimFileSystem::readFile(const std::string& path) {
    std::string host = hostPath(path);
    if (isProtected(host))
        return deniedAccess();
    int fd = ::open(host.c_str(), O_RDONLY | O_CLOEXEC);
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

bool SimFileSystem::writeFileAtomically(const std::string& path, const std::string& bytes) {
    std::string host = hostPath(path);
    if (isProtected(host))
        return false;
    QString file = QString::fromStdString(host);
    if (!QDir().mkpath(QFileInfo(file).absolutePath()))
        return false;
    QSaveFile save(file);
    return save.open(QIODevice::WriteOnly) &&
           save.write(bytes.data(), static_cast<qint64>(bytes.size())) == static_cast<qint64>(bytes.size()) &&
           save.commit();
}

bool SimFileSystem::moveItem(const std::string& from, const std::string& to) {
    std::string source = hostPath(from), target = hostPath(to);
    if (isProtected(source) || isProtected(target))
        return false;
    return QFile::rename(QString::fromStdString(source), QString::fromStdString(target));
}

} // namespace tallowmere
