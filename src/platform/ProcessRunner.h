#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace tallowmere {

struct ProcessRequest {
    ProcessRequest(std::string executable, std::vector<std::string> arguments)
        : executable(std::move(executable))
        , arguments(std::move(arguments)) {}

    std::string executable;
    std::vector<std::string> arguments;
    // A stream that is not captured is inherited from this process.
    bool captureStandardOutput = true;
    bool captureStandardError = false;
    // Ends a child that runs longer and reports it as failed; none waits for as long as it takes.
    std::optional<std::chrono::milliseconds> timeLimit;
};

struct ProcessResult {
    bool started = false;         // false: the process could not be started (see errorDescription)
    std::string errorDescription; // why it could not be started, or why it did not end normally
    int exitStatus = -1;          // meaningful when it started; non-zero also for a crash or time-out
    bool timedOut = false;
    std::string standardOutput;
    std::string standardError;

    bool succeeded() const { return started && exitStatus == 0; }
};

// Child processes: an executable and an argument vector, never a shell.
class ProcessRunner {
public:
    virtual ~ProcessRunner() = default;

    // Runs to completion, blocking the calling (background) thread; both captured streams are read while
    // the child runs, so a chatty child never stalls on a full pipe.
    virtual ProcessResult run(const ProcessRequest& request) = 0;

    // Starts a child with inherited streams and does not wait for it. Returns the error description
    // when it could not be started.
    virtual std::optional<std::string> launchDetached(const std::string& executable,
                                                      const std::vector<std::string>& arguments) = 0;
};

} // namespace tallowmere
