#pragma once

#include "platform/ProcessRunner.h"
#include "platform/PropertyValue.h"
#include "platform/SystemTools.h"

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tallowmere {

// Time limits of one run of a system tool. A drive that stops answering makes every run about it hang; past its
// limit the child is killed and the run counts as failed, never as evidence. The sleep path has 12 s in all (the
// power monitor's limit), of which the eject waits at most 10 s:
// - a query (diskutil info and list, tmutil status) answers within a fraction of a second: 3 s. A hung volume
//   then drops out of the classification after 3 s while the others go on.
// - taking a volume offline (diskutil unmount, the workspace eject, tmutil stopbackup) may flush a write cache
//   first, which a slow drive takes its time over: 30 s. The sleep waits for it at most the eject's 10 s; what goes
//   offline after that is still recorded, so that the wake brings it back.
// - bringing a volume back (diskutil mount and mountDisk) may check its file system first and is not on the
//   sleep path: 15 s.
inline constexpr std::chrono::seconds queryTimeLimit{3};
inline constexpr std::chrono::seconds offlineTimeLimit{30};
inline constexpr std::chrono::seconds mountTimeLimit{15};

// Whether a tool's output is text: valid UTF-8.
bool isValidUtf8(std::string_view bytes);

// Runs diskutil with an argument vector and reads its property-list answers.
class Diskutil {
public:
    struct Query {
        ProcessResult process;
        // The top-level dictionary; nothing when the tool failed: not started, non-zero exit, output not a
        // property list, or a top level other than a dictionary.
        std::optional<PropertyDictionary> dictionary;
    };

    // The streams a run reads; the others are inherited.
    enum class Capture { output, error, outputAndError };

    Diskutil(ProcessRunner& processes, const SystemTools& tools);

    ProcessResult run(std::vector<std::string> arguments, Capture capture, std::chrono::milliseconds timeLimit) const;
    // Runs with standard output captured, within the query limit, and parses it.
    Query query(std::vector<std::string> arguments) const;
    // "info" "-plist" TARGET.
    Query info(const std::string& target) const { return query({"info", "-plist", target}); }
    // Whether diskutil says the volume is mounted, asked by its name and then by its identifier (when not empty);
    // false when neither answer decides, nothing when a look ran out of time.
    std::optional<bool> mountState(const std::string& volumeName, const std::string& deviceIdentifier) const;

private:
    ProcessRunner& m_processes;
    const SystemTools& m_tools;
};

} // namespace tallowmere
