#include "disks/VolumeClassifier.h"

#include <QString>

#include <initializer_list>

namespace tallowmere::VolumeClassifier {
namespace {

const VolumeClassification excluded{false, std::nullopt};

bool containsAny(const std::string& text, std::initializer_list<const char*> needles) {
    for (const char* needle : needles)
        if (text.find(needle) != std::string::npos)
            return true;
    return false;
}

// Card readers name themselves in any case ("SD Card Reader", "Secure Digital", "SDXC"), and not always in ASCII
// case, so these tests fold case the Unicode way.
bool containsAnyIgnoringCase(const std::string& text, std::initializer_list<const char*> needles) {
    const QString haystack = QString::fromStdString(text);
    for (const char* needle : needles)
        if (haystack.contains(QString::fromLatin1(needle), Qt::CaseInsensitive))
            return true;
    return false;
}

std::string textOrEmpty(const PropertyDictionary& info, std::string_view key) {
    const auto* text = findAs<std::string>(info, key);
    return text ? *text : std::string();
}

bool isBool(const PropertyDictionary& info, std::string_view key, bool expected) {
    const auto* value = findAs<bool>(info, key);
    return value && *value == expected;
}

bool namesDiskImage(const std::string& mediaName) {
    return containsAny(mediaName, {"Disk Image", "dmg", "Apple Disk Image"});
}

} // namespace

bool isExcludedByLocation(const std::string& mountPath) {
    const std::string name = lastPathComponent(mountPath);
    if (name == "Macintosh HD" || name == "Macintosh HD - Data")
        return true;
    return mountPath == "/" || mountPath.starts_with("/System");
}

VolumeClassification classify(const std::string& mountPath, const PropertyDictionary& info) {
    const std::string mediaName = textOrEmpty(info, "MediaName");
    const std::string busProtocol = textOrEmpty(info, "BusProtocol");
    const bool removable = isBool(info, "RemovableMedia", true);
    const bool internal = isBool(info, "Internal", true);
    std::optional<DiskType> kind;

    // SD cards: a built-in reader reports itself as internal, so an internal volume survives only as a card.
    bool testForCard = false;
    if (internal) {
        if (!removable)
            return excluded;
        if (!containsAnyIgnoringCase(mediaName, {"secure digital", "sd card"}) &&
            !containsAnyIgnoringCase(busProtocol, {"secure digital", "sd"}))
            return excluded;
        testForCard = true;
    } else {
        testForCard = removable;
    }
    if (testForCard && (containsAnyIgnoringCase(mediaName, {"secure digital", "sdxc", "sd card", "sdxc reader"}) ||
                        containsAnyIgnoringCase(busProtocol, {"secure digital", "sd"})))
        kind = DiskType::sdCards;

    if (containsAny(mountPath, {"CoreSimulator", "/Library/Developer/"}))
        kind = DiskType::diskImages;

    if (const auto* name = findAs<std::string>(info, "MediaName"); name && namesDiskImage(*name))
        kind = DiskType::diskImages;

    if (const auto* parent = findAs<PropertyDictionary>(info, "ParentWholeDisk")) {
        if (const auto* name = findAs<std::string>(*parent, "MediaName"); name && namesDiskImage(*name))
            kind = DiskType::diskImages;
    }

    if (const auto* fileSystem = findAs<std::string>(info, "FileSystemName");
        fileSystem && (*fileSystem == "afpfs" || *fileSystem == "smbfs" || *fileSystem == "nfs"))
        kind = DiskType::networkDrives;

    if (const auto* mediaType = findAs<std::string>(info, "MediaType");
        mediaType && containsAny(*mediaType, {"CD", "DVD", "BD", "Blu-ray"}))
        kind = DiskType::dvdsAndCDs;

    if (containsAny(mediaName, {"CD", "DVD", "Blu-ray"}))
        kind = DiskType::dvdsAndCDs;

    // An explicitly external device is a disk, whatever its media name suggests.
    if (isBool(info, "Internal", false))
        kind = DiskType::hardDisksAndSSDs;

    const auto* mountPoint = findAs<std::string>(info, "MountPoint");
    if (isBool(info, "Ejectable", true) && mountPoint && *mountPoint != "/")
        return {true, kind.value_or(DiskType::hardDisksAndSSDs)};
    return {kind.has_value(), kind};
}

} // namespace tallowmere::VolumeClassifier
