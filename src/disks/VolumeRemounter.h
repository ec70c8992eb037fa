#pragma once

#include "disks/DiskEngine.h"
#include "disks/Diskutil.h"

#include <optional>
#include <string>

namespace tallowmere {

// Brings one volume back with diskutil: on the device it is found on now, by its name, and on the device it had when
// it went offline. Blocking: background threads.
class VolumeRemounter {
public:
    // Where `diskutil list` shows a volume of a name.
    struct Location {
        std::optional<std::string> identifier;
        bool mounted = false;
        bool operator==(const Location&) const = default;
    };

    explicit VolumeRemounter(const DiskServices& services);

    // Whether the volume is back: at once when it is already mounted, else within four attempts.
    bool remount(const EjectedDiskInfo& disk) const;
    // The first volume of the name among the disks and their partitions; nothing found for a listing of another shape.
    Location locate(const std::string& name) const;
    // `diskutil VERB TARGET`, and whether the volume then shows up; a diskutil that cannot start is logged with the
    // label.
    bool runMount(const std::string& verb, const std::string& target, const std::string& label,
                  const EjectedDiskInfo& disk) const;

private:
    Diskutil diskutil() const;

    DiskServices m_services;
};

} // namespace tallowmere
