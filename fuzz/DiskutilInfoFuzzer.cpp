// The classifier over whatever `diskutil info -plist` prints: the first line is the mount path, the rest the
// tool's output.
#include "FuzzSupport.h"

#include "disks/VolumeClassifier.h"
#include "platform/PropertyList.h"

using namespace tallowmere;

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    std::string_view input = fuzz::bytesOf(data, size);
    const std::size_t end = input.find('\n');
    const std::string mountPath(input.substr(0, end));
    VolumeClassifier::isExcludedByLocation(mountPath);
    if (auto info = PropertyList::parseDictionary(end == std::string_view::npos ? "" : input.substr(end + 1))) {
        VolumeClassification verdict = VolumeClassifier::classify(mountPath, *info);
        fuzz::require(!verdict.eligible || verdict.kind.has_value(), "an eligible volume has a kind");
    }
    return 0;
}
