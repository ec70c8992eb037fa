#pragma once

#include "platform/PreferenceStore.h"

#include <optional>
#include <set>
#include <string>
#include <vector>

namespace tallowmere {

// The allowlist as it is stored at one moment.
class Allowlist {
public:
    explicit Allowlist(std::set<std::string> volumeIds)
        : m_volumeIds(std::move(volumeIds)) {}

    // The one rule: a volume is included when nothing is chosen (the list is empty) or the list holds its identifier.
    bool includes(const std::string& volumeId) const { return m_volumeIds.empty() || m_volumeIds.contains(volumeId); }

private:
    std::set<std::string> m_volumeIds;
};

// The user's choice of the volumes the automatic eject may touch, and every volume seen so far, both by volume
// identifier in the preferences. A stored list that is not all text counts as empty. Any thread; the last writer
// wins.
class VolumeAllowlist {
public:
    explicit VolumeAllowlist(PreferenceStore& preferences);

    Allowlist allowlist() const;
    // `allVolumeIds`: the volumes listed now, which stay included when one of them is left out of an empty list.
    void setVolume(const std::string& volumeId, bool included,
                   const std::optional<std::vector<std::string>>& allVolumeIds);
    // Adds the volumes to the seen list; those never seen before join a chosen allowlist. Whether the allowlist
    // changed.
    bool recordSeenVolumes(const std::vector<std::string>& volumeIds);

private:
    std::set<std::string> readIdList(const char* key) const;
    void writeIdList(const char* key, const std::set<std::string>& ids);

    PreferenceStore& m_preferences;
};

} // namespace tallowmere
