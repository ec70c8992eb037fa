#pragma once

#include "platform/HostFileSystem.h"

#include "simulator/Machine.h"

namespace tallowmere {

// The file system as the logic sees it on a Mac, mapped onto the machine's folder: "/Volumes/…" onto its
// mounted volumes, the home folder "/Users/sim" onto <machine>/home and the system tools' paths onto the
// stand-in links. Other paths are the host's own. While Full Disk Access is denied, reading the protected
// folder fails with the platform's "no permission" error, whatever the process's own rights are.
class SimFileSystem : public HostFileSystem {
public:
    explicit SimFileSystem(macsim::Machine machine);

    std::optional<std::vector<std::string>> mountedVolumePaths() override;
    std::string homeDirectory() override { return homePath; }
    std::optional<std::string> cachesDirectory() override { return std::string(homePath) + "/Library/Caches"; }

    // Where a path of the simulated Mac lives on this computer.
    std::string hostPath(const std::string& path) const override;

    static constexpr const char* homePath = "/Users/sim";

protected:
    bool isProtected(const std::string& hostPath) const override;

private:
    macsim::Machine m_machine;
};

} // namespace tallowmere
