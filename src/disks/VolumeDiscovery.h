#pragma once

#include "disks/DiskEngine.h"
#include "disks/Diskutil.h"

#include <optional>
#include <string>
#include <vector>

namespace tallowmere {

// A volume the classification found eligible, with the device identifier its answer named ("" for none).
struct EligibleVolume {
    std::string url;
    std::string identifier;
    std::string name() const { return lastPathComponent(url); }
    // The volume identifier: the device identifier, or the name when none was named.
    std::string id() const { return identifier.empty() ? name() : identifier; }
};

struct EligibleVolumes {
    std::vector<EligibleVolume> volumes;
    // The volumes diskutil did not answer about in time.
    int unanswered = 0;
};

// Finds the mounted volumes that may be taken offline, from the mounted-volume list and diskutil's answer about each.
// Blocking: background threads.
class VolumeDiscovery {
public:
    explicit VolumeDiscovery(const DiskServices& services);

    // The eligible volumes under /Volumes/ of one of `types`, all classified at the same time, in no order.
    EligibleVolumes eligibleVolumes(const std::vector<DiskType>& types) const;
    // The same volumes as selections. The classification's answer already names each device: asking diskutil again
    // would only repeat it.
    std::vector<VolumeSelection> volumeSelections(const std::vector<DiskType>& types) const;
    VolumeClassification classifyVolume(const std::string& url) const;
    // Nothing when diskutil names none; a diskutil that cannot start is logged.
    std::optional<std::string> resolveDeviceIdentifier(const std::string& url) const;

private:
    struct Classified {
        VolumeClassification classification;
        std::string identifier;
        // Whether diskutil answered in time.
        bool answered = true;
    };
    Classified classify(const std::string& url) const;
    Diskutil diskutil() const;

    DiskServices m_services;
};

} // namespace tallowmere
