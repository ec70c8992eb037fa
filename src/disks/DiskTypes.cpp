#include "disks/DiskTypes.h"

#include <algorithm>
#include <regex>

namespace tallowmere {

std::string lastPathComponent(const std::string& path) {
    auto end = path.find_last_not_of('/');
    if (end == std::string::npos)
        return path.empty() ? std::string() : std::string("/");
    auto start = path.rfind('/', end);
    start = start == std::string::npos ? 0 : start + 1;
    return path.substr(start, end - start + 1);
}

std::string joinedVolumeNames(const std::vector<std::string>& urls) {
    std::string names;
    for (const std::string& url : urls) {
        if (!names.empty())
            names += ", ";
        names += lastPathComponent(url);
    }
    return names;
}

std::string sortedVolumeNames(const std::vector<std::string>& urls) {
    if (urls.empty())
        return "none";
    std::vector<std::string> sorted = urls;
    std::sort(sorted.begin(), sorted.end());
    return joinedVolumeNames(sorted);
}

std::string sortedVolumeNames(const std::vector<EjectedDiskInfo>& disks) {
    std::vector<std::string> urls;
    for (const EjectedDiskInfo& disk : disks)
        urls.push_back(disk.url);
    return sortedVolumeNames(urls);
}

std::optional<std::string> wholeDiskIdentifier(const std::string& deviceIdentifier) {
    static const std::regex pattern("^disk[0-9]+");
    std::smatch match;
    if (!std::regex_search(deviceIdentifier, match, pattern))
        return std::nullopt;
    return match.str();
}

} // namespace tallowmere
