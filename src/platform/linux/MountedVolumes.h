#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tallowmere {

// One line of /proc/self/mountinfo, its escapes (\040 for a blank, …) decoded; `mountedBy` is the user that
// mount(8) recorded in /run/mount/utab for a mount a user made ("user=NAME"), empty for the system's.
struct MountEntry {
    std::string mountPoint;
    std::string fileSystemType;
    std::string source;
    std::string mountedBy = {};
};

std::vector<MountEntry> parseMountInfo(std::string_view text);
// Sets `mountedBy` of the entries that utab's lines ("SRC=… TARGET=/mnt/share ROOT=/ OPTS=user=alice") name.
void addMountingUsers(std::vector<MountEntry>& table, std::string_view utab);
std::vector<MountEntry> readMountTable();
// The name of the user this process runs as: the session's user.
std::string sessionUserName();

// The Linux mounts that the application sees as volumes under "/Volumes/", as on a Mac: file systems that the
// desktop mounted in the session user's media folder (/media/USER/NAME, /run/media/USER/NAME) and network shares
// that user mounted, wherever they are. Another user's drives and the system's own mounts are none of ours.
// A volume's name is its mount folder's name; a second mount of the same name gets " 1" appended (then " 2", …),
// as a Mac names them. The application's adapters and the diskutil companion
// build the same mapping from the same table, so a path means the same volume to both.
class MountedVolumes {
public:
    struct Volume {
        std::string name;
        MountEntry mount;
        std::string path() const { return "/Volumes/" + name; }
    };

    MountedVolumes(const std::vector<MountEntry>& table, const std::string& user);
    static MountedVolumes current() { return MountedVolumes(readMountTable(), sessionUserName()); }

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
