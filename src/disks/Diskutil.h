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

// A system tool that never exits would hold its caller's thread for good (and with it a batch eject or a
// refresh); past this limit the child is ended and the run counts as failed. Slow disks answer well within it.
inline constexpr std::chrono::seconds systemToolTimeLimit{60};

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

    Diskutil(ProcessRunner& processes, const SystemTools& tools);

    ProcessResult run(std::vector<std::string> arguments, bool captureOutput, bool captureError) const;
    // Runs with standard output captured and parses it.
    Query query(std::vector<std::string> arguments) const;
    // "info" "-plist" TARGET.
    Query info(const std::string& target) const { return query({"info", "-plist", target}); }

private:
    ProcessRunner& m_processes;
    const SystemTools& m_tools;
};

} // namespace tallowmere
