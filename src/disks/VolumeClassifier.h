#pragma once

#include "disks/DiskTypes.h"
#include "platform/PropertyValue.h"

#include <string>

namespace tallowmere {

// Decides from a volume's mount path and diskutil's facts about it whether it may be ejected, and its kind.
namespace VolumeClassifier {

// The startup volume's names and system locations are never eligible, whatever diskutil would say.
bool isExcludedByLocation(const std::string& mountPath);

// The rules over `diskutil info -plist`: SD cards, developer and disk images, network volumes, optical media
// and the external flag, in that order (later kinds replace earlier ones), then the ejectable test.
VolumeClassification classify(const std::string& mountPath, const PropertyDictionary& info);

} // namespace VolumeClassifier
} // namespace tallowmere
