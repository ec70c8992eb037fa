#include "platform/HostFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <unistd.h>

namespace tallowmere::HostFiles {

FileReadResult failure(int error) {
    FileReadResult result;
    result.errorDomain = errorDomain;
    switch (error) {
    case ENOENT:
    case ENOTDIR:
        result.errorCode = noSuchFileError;
        break;
    case EACCES:
    case EPERM:
        result.errorCode = noPermissionError;
        break;
    default:
        result.errorCode = unknownReadError;
    }
    return result;
}

bool exists(const std::string& path) {
    return QFileInfo::exists(QString::fromStdString(path));
}

bool isDirectory(const std::string& path) {
    return QFileInfo(QString::fromStdString(path)).isDir();
}

bool isExecutableFile(const std::string& path) {
    QFileInfo info(QString::fromStdString(path));
    return info.isFile() && info.isExecutable();
}

FileReadResult listDirectory(const std::string& path) {
    std::error_code error;
    std::filesystem::directory_iterator it(path, error);
    if (error)
        return failure(error.value());
    FileReadResult result;
    for (; it != std::filesystem::directory_iterator(); it.increment(error)) {
        if (error)
            return failure(error.value());
        result.entries.push_back(it->path().filename().string());
    }
    std::sort(result.entries.begin(), result.entries.end());
    result.ok = true;
    return result;
}

FileReadResult readFile(const std::string& path) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return failure(errno);
    FileReadResult result;
    char buffer[65536];
    for (;;) {
        ssize_t count = ::read(fd, buffer, sizeof buffer);
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0) {
            int error = errno;
            ::close(fd);
            return failure(error);
        }
        if (count == 0)
            break;
        result.contents.append(buffer, static_cast<size_t>(count));
    }
    ::close(fd);
    result.ok = true;
    return result;
}

bool writeFileAtomically(const std::string& path, const std::string& bytes) {
    QString file = QString::fromStdString(path);
    if (!QDir().mkpath(QFileInfo(file).absolutePath()))
        return false;
    QSaveFile save(file);
    return save.open(QIODevice::WriteOnly) &&
           save.write(bytes.data(), static_cast<qint64>(bytes.size())) == static_cast<qint64>(bytes.size()) &&
           save.commit();
}

bool moveItem(const std::string& from, const std::string& to) {
    return QFile::rename(QString::fromStdString(from), QString::fromStdString(to));
}

} // namespace tallowmere::HostFiles
