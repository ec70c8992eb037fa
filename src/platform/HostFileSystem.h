#pragma once

#include "platform/FileSystem.h"

namespace tallowmere {

// The file system over this computer's files: every path the logic names is mapped onto a host path (`hostPath`)
// and read or written there (HostFiles), except what `isProtected` keeps, which fails as the platform refuses a
// read without permission. The adapters differ only in the mapping, the protection and the folders they name.
class HostFileSystem : public FileSystem {
public:
    bool exists(const std::string& path) override;
    bool isDirectory(const std::string& path) override;
    bool isExecutableFile(const std::string& path) override;
    FileReadResult listDirectory(const std::string& path) override;
    FileReadResult readFile(const std::string& path) override;
    bool writeFileAtomically(const std::string& path, const std::string& bytes) override;
    bool moveItem(const std::string& from, const std::string& to) override;

    // Where a path the logic names is on this computer; by default the path itself.
    virtual std::string hostPath(const std::string& path) const { return path; }

protected:
    // Whether the platform refuses to read or write this host path, whatever the process's own rights are.
    virtual bool isProtected(const std::string& /*hostPath*/) const { return false; }
};

} // namespace tallowmere
