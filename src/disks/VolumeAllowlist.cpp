#include "disks/VolumeAllowlist.h"

#include "base/Preferences.h"

namespace tallowmere {

VolumeAllowlist::VolumeAllowlist(PreferenceStore& preferences)
    : m_preferences(preferences) {}

Allowlist VolumeAllowlist::allowlist() const {
    return Allowlist(readIdList(PreferenceKey::autoEjectAllowedVolumeIds));
}

std::set<std::string> VolumeAllowlist::readIdList(const char* key) const {
    auto value = m_preferences.object(key);
    if (!value)
        return {};
    auto ids = stringArray(*value);
    if (!ids)
        return {};
    return std::set<std::string>(ids->begin(), ids->end());
}

void VolumeAllowlist::writeIdList(const char* key, const std::set<std::string>& ids) {
    m_preferences.setArray(key, toPropertyArray(std::vector<std::string>(ids.begin(), ids.end())));
}

void VolumeAllowlist::setVolume(const std::string& volumeId, bool included,
                                const std::optional<std::vector<std::string>>& allVolumeIds) {
    std::set<std::string> allowlist = readIdList(PreferenceKey::autoEjectAllowedVolumeIds);
    // Leaving one volume out of the implicit "everything" must keep all the others in.
    if (allVolumeIds && allowlist.empty())
        allowlist.insert(allVolumeIds->begin(), allVolumeIds->end());
    if (included)
        allowlist.insert(volumeId);
    else
        allowlist.erase(volumeId);
    writeIdList(PreferenceKey::autoEjectAllowedVolumeIds, allowlist);
}

bool VolumeAllowlist::recordSeenVolumes(const std::vector<std::string>& volumeIds) {
    const std::set<std::string> current(volumeIds.begin(), volumeIds.end());
    std::set<std::string> seen = readIdList(PreferenceKey::autoEjectSeenVolumeIds);
    std::vector<std::string> newlySeen;
    for (const std::string& id : current)
        if (!seen.contains(id))
            newlySeen.push_back(id);
    seen.insert(current.begin(), current.end());
    writeIdList(PreferenceKey::autoEjectSeenVolumeIds, seen);
    if (newlySeen.empty())
        return false;

    // A volume connected for the first time after the user made a choice is included.
    std::set<std::string> allowlist = readIdList(PreferenceKey::autoEjectAllowedVolumeIds);
    if (allowlist.empty())
        return false;
    allowlist.insert(newlySeen.begin(), newlySeen.end());
    writeIdList(PreferenceKey::autoEjectAllowedVolumeIds, allowlist);
    return true;
}

} // namespace tallowmere
