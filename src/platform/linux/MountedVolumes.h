#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tallowmere {

// One line of /proc/self/mountinfo, its escapes (\040 for a blank, …) decoded.
struct MountEntry {
    std::string mountPoint;
    std::string fileSystemType;
    std::string source;
};

std::vector<MountEntry> parseMountInfo(std::string_view text);
std::vector<MountEntry> readMountTable();

// The Linux mounts that the application sees as volumes under "/Volumes/", as on a Mac: file systems that the
// desktop mounted in a media folder (/media/USER/NAME, /run/media/USER/NAME, /media/NAME) and network shares
// wherever they are mounted. A volume's name is its mount folder's name; a second mount of the same name gets
// " 1" appended (then " 2", …), as a Mac names them. The application's adapters and the diskutil companion
// build the same mapping from the same table, so a path means the same volume to both.
class MountedVolumes {
public:
    struct Volume {
        std::string name;
        MountEntry mount;
        std::string path() const { return "/Volumes/" + name; }
    };

    explicit MountedVolumes(const std::vector<MountEntry>& table);
    static MountedVolumes current() { return MountedVolumes(readMountTable()); }

    const std::vector<Volume>& volumes() const { return m_volumes; }
    // "/Volumes/NAME…" to the folder on this computer; nothing for a volume that is not mounted.
    std::optional<std::string> hostPath(const std::string& volumePath) const;
    const Volume* byMountPoint(const std::string& mountPoint) const;
    const Volume* byName(const std::string& name) const;

    static bool isNetworkFileSystem(const std::string& type);

private:
    std::vector<Volume> m_volumes;
};

} // namespace tallowmere
