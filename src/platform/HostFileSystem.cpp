#include "platform/HostFileSystem.h"

#include "platform/HostFiles.h"

#include <cerrno>

namespace tallowmere {

bool HostFileSystem::exists(const std::string& path) {
    return HostFiles::exists(hostPath(path));
}

bool HostFileSystem::isDirectory(const std::string& path) {
    return HostFiles::isDirectory(hostPath(path));
}

bool HostFileSystem::isExecutableFile(const std::string& path) {
    return HostFiles::isExecutableFile(hostPath(path));
}

FileReadResult HostFileSystem::listDirectory(const std::string& path) {
    std::string host = hostPath(path);
    return isProtected(host) ? HostFiles::failure(EACCES) : HostFiles::listDirectory(host);
}

FileReadResult HostFileSystem::readFile(const std::string& path) {
    std::string host = hostPath(path);
    return isProtected(host) ? HostFiles::failure(EACCES) : HostFiles::readFile(host);
}

bool HostFileSystem::writeFileAtomically(const std::string& path, const std::string& bytes) {
    std::string host = hostPath(path);
    return !isProtected(host) && HostFiles::writeFileAtomically(host, bytes);
}

bool HostFileSystem::moveItem(const std::string& from, const std::string& to) {
    std::string source = hostPath(from), target = hostPath(to);
    return !isProtected(source) && !isProtected(target) && HostFiles::moveItem(source, target);
}

} // namespace tallowmere
