#include "platform/linux/MountedVolumes.h"

#include <QDir>
#include <QFile>
#include <QString>

#include <pwd.h>
#include <set>
#include <unistd.h>

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

// A folder inside the user's folder of /media or /run/media, where udisks2 mounts what the user plugs in.
bool isInMediaFolder(const std::string& mountPoint, const std::string& user) {
    QStringList parts = QString::fromStdString(mountPoint).split('/', Qt::SkipEmptyParts);
    const QString name = QString::fromStdString(user);
    if (parts.size() == 3 && parts[0] == "media")
        return parts[1] == name;
    return parts.size() == 4 && parts[0] == "run" && parts[1] == "media" && parts[2] == name;
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

void addMountingUsers(std::vector<MountEntry>& table, std::string_view utab) {
    size_t start = 0;
    while (start < utab.size()) {
        size_t end = utab.find('\n', start);
        if (end == std::string_view::npos)
            end = utab.size();
        std::string target, user;
        for (std::string_view field : split(utab.substr(start, end - start))) {
            if (field.starts_with("TARGET="))
                target = unescape(field.substr(7));
            else if (field.starts_with("OPTS="))
                for (const QString& option : QString::fromStdString(unescape(field.substr(5))).split(','))
                    if (option.startsWith("user="))
                        user = option.mid(5).toStdString();
        }
        start = end + 1;
        // The last entry of a mount point is the one in effect.
        for (auto entry = table.rbegin(); entry != table.rend() && !user.empty(); ++entry)
            if (entry->mountPoint == target) {
                entry->mountedBy = user;
                break;
            }
    }
}

std::vector<MountEntry> readMountTable() {
    // A proc file reports no size; readAll reads until the end.
    auto read = [](const char* path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string();
    };
    std::vector<MountEntry> table = parseMountInfo(read("/proc/self/mountinfo"));
    addMountingUsers(table, read("/run/mount/utab"));
    return table;
}

std::string sessionUserName() {
    std::vector<char> buffer(16384);
    passwd entry{}, *found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found)
        return found->pw_name;
    return {};
}

bool MountedVolumes::isNetworkFileSystem(const std::string& type) {
    return type == "cifs" || type == "smb3" || type == "nfs" || type == "nfs4";
}

MountedVolumes::MountedVolumes(const std::vector<MountEntry>& table, const std::string& user) {
    // A mount point mounted over keeps only its last entry, the one in effect.
    std::vector<MountEntry> effective;
    for (const MountEntry& entry : table) {
        std::erase_if(effective, [&](const MountEntry& earlier) { return earlier.mountPoint == entry.mountPoint; });
        effective.push_back(entry);
    }
    std::set<std::string> taken;
    for (const MountEntry& entry : effective) {
        const bool usersShare = isNetworkFileSystem(entry.fileSystemType) && entry.mountedBy == user;
        if (user.empty() || (!isInMediaFolder(entry.mountPoint, user) && !usersShare))
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
