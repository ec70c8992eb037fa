#include "platform/linux/MountedVolumes.h"

#include <QDir>
#include <QFile>
#include <QString>

#include <set>

namespace tallowmere {
namespace {

// mountinfo writes a blank, a tab, a line feed and a backslash in a path as \040, \011, \012 and \134.
std::string unescape(std::string_view field) {
    std::string text;
    for (size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            std::string_view digits = field.substr(i + 1, 3);
            if (digits.find_first_not_of("01234567") == std::string_view::npos) {
                text.push_back(static_cast<char>(std::stoi(std::string(digits), nullptr, 8)));
                i += 3;
                continue;
            }
        }
        text.push_back(field[i]);
    }
    return text;
}

std::vector<std::string_view> split(std::string_view line) {
    std::vector<std::string_view> fields;
    size_t start = 0;
    while (start < line.size()) {
        size_t end = line.find(' ', start);
        if (end == std::string_view::npos)
            end = line.size();
        if (end > start)
            fields.push_back(line.substr(start, end - start));
        start = end + 1;
    }
    return fields;
}

// A folder directly inside /media, or inside a user's folder of /media or /run/media.
bool isInMediaFolder(const std::string& mountPoint) {
    QStringList parts = QString::fromStdString(mountPoint).split('/', Qt::SkipEmptyParts);
    if (parts.size() == 2 && parts[0] == "media")
        return true;
    if (parts.size() == 3 && parts[0] == "media")
        return true;
    return parts.size() == 4 && parts[0] == "run" && parts[1] == "media";
}

std::string folderName(const std::string& path) {
    size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

} // namespace

std::vector<MountEntry> parseMountInfo(std::string_view text) {
    std::vector<MountEntry> entries;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        std::vector<std::string_view> fields = split(text.substr(start, end - start));
        start = end + 1;
        // ID PARENT MAJOR:MINOR ROOT MOUNT-POINT OPTIONS [OPTIONAL…] - TYPE SOURCE SUPER-OPTIONS
        size_t separator = 6;
        while (separator < fields.size() && fields[separator] != "-")
            ++separator;
        if (fields.size() < 5 || separator + 2 >= fields.size())
            continue;
        entries.push_back({unescape(fields[4]), unescape(fields[separator + 1]), unescape(fields[separator + 2])});
    }
    return entries;
}

std::vector<MountEntry> readMountTable() {
    QFile file("/proc/self/mountinfo");
    if (!file.open(QIODevice::ReadOnly))
        return {};
    // A proc file reports no size; readAll reads until the end.
    QByteArray bytes = file.readAll();
    return parseMountInfo(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
}

bool MountedVolumes::isNetworkFileSystem(const std::string& type) {
    return type == "cifs" || type == "smb3" || type == "nfs" || type == "nfs4";
}

MountedVolumes::MountedVolumes(const std::vector<MountEntry>& table) {
    // A mount point mounted over keeps only its last entry, the one in effect.
    std::vector<MountEntry> effective;
    for (const MountEntry& entry : table) {
        std::erase_if(effective, [&](const MountEntry& earlier) { return earlier.mountPoint == entry.mountPoint; });
        effective.push_back(entry);
    }
    std::set<std::string> taken;
    for (const MountEntry& entry : effective) {
        if (!isInMediaFolder(entry.mountPoint) && !isNetworkFileSystem(entry.fileSystemType))
            continue;
        std::string base = folderName(entry.mountPoint), name = base;
        for (int n = 1; name.empty() || taken.contains(name); ++n)
            name = base + " " + std::to_string(n);
        taken.insert(name);
        m_volumes.push_back({name, entry});
    }
}

std::optional<std::string> MountedVolumes::hostPath(const std::string& volumePath) const {
    const std::string prefix = "/Volumes/";
    if (!volumePath.starts_with(prefix))
        return std::nullopt;
    std::string rest = volumePath.substr(prefix.size());
    size_t slash = rest.find('/');
    const Volume* volume = byName(rest.substr(0, slash));
    if (!volume)
        return std::nullopt;
    return volume->mount.mountPoint + (slash == std::string::npos ? std::string() : rest.substr(slash));
}

const MountedVolumes::Volume* MountedVolumes::byMountPoint(const std::string& mountPoint) const {
    std::string clean = QDir::cleanPath(QString::fromStdString(mountPoint)).toStdString();
    for (const Volume& volume : m_volumes)
        if (volume.mount.mountPoint == clean)
            return &volume;
    return nullptr;
}

const MountedVolumes::Volume* MountedVolumes::byName(const std::string& name) const {
    for (const Volume& volume : m_volumes)
        if (volume.name == name)
            return &volume;
    return nullptr;
}

} // namespace tallowmere
