#pragma once

#include "platform/HostFileSystem.h"

namespace tallowmere {

// The real file system, with the volumes of the mount table under "/Volumes/NAME" as the logic expects them
// (MountedVolumes), and the application's support folder (a Mac's "~/Library/Application Support/Tallowmere") in
// the XDG state folder, $XDG_STATE_HOME/tallowmere (~/.local/state/tallowmere). Nothing is protected beyond what
// the file permissions say.
class LinuxFileSystem : public HostFileSystem {
public:
    // Moves what earlier versions kept in ~/Library/Application Support/Tallowmere to the state folder, once: a
    // file already there stays, and so does the earlier one then.
    LinuxFileSystem();

    std::optional<std::vector<std::string>> mountedVolumePaths() override;
    std::string mountPoint(const std::string& volumePath) override { return hostPath(volumePath); }
    std::string homeDirectory() override;
    std::optional<std::string> cachesDirectory() override;

    // Where a path the logic names is on this computer; a "/Volumes/…" path of no mounted volume stays as it
    // is, and so names nothing.
    std::string hostPath(const std::string& path) const override;

private:
    std::string m_supportFolder; // as the logic names it
    std::string m_stateFolder;
};

} // namespace tallowmere
