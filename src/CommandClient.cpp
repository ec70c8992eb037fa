#include "CommandClient.h"

#include "Platforms.h"
#include "app/RemoteControl.h"
#include "platform/BuildBundle.h"
#include "platform/InstanceLock.h"
#include "platform/Translation.h"
#include "platform/network/LocalControlServer.h"

#include <QFileInfo>

#include <chrono>
#include <cstdio>
#include <thread>

namespace tallowmere {
namespace {

// Whether a copy holds the lock. Without a lock file none ever ran there.
bool isRunning(const std::string& lockPath) {
    if (!QFileInfo::exists(QString::fromStdString(lockPath)))
        return false;
    return InstanceLock(lockPath).isHeldByAnother();
}

// Where a command goes: to the named platform's copy, or without --platform to the first in the table that runs
// (an installed Linux copy answers `tallowmere status` though `sim` is the default for starting).
const PlatformChoice* commandTarget(const CommandLine& line) {
    if (!line.platform.empty())
        return platformNamed(line.platform);
    for (const PlatformChoice& choice : platformChoices())
        if (isRunning(choice.instanceLockPath()))
            return &choice;
    return platformNamed({});
}

// A command can take as long as its work: an eject waits for slow drives, a remount for its retries.
constexpr std::chrono::minutes commandAnswerLimit{3};
// After `quit` is answered the running copy still saves and ends; a script's next command finds it gone.
constexpr std::chrono::seconds quitWaitLimit{10};
constexpr std::chrono::milliseconds quitPollInterval{50};

// `tallowmere COMMAND`: hands the command to the running copy and prints its answer. Never starts one.
int runCommand(const PlatformChoice& platform, const CommandLine& line) {
    using namespace tallowmere;
    const std::string lockPath = platform.instanceLockPath();
    std::string error;
    const std::optional<QByteArray> answerLine =
        LocalControlServer::request(LocalControlServer::socketPathBeside(lockPath),
                                    ControlProtocol::encodeRequest(line.words), commandAnswerLimit, &error);
    if (!answerLine) {
        if (!isRunning(lockPath)) {
            std::fprintf(stderr, "%s\n", translated("CommandLine", "Tallowmere is not running").c_str());
            return static_cast<int>(CommandStatus::notRunning);
        }
        std::fprintf(
            stderr, "%s\n",
            filledIn(translated("CommandLine", "Tallowmere is running but does not answer: %1"), error).c_str());
        return static_cast<int>(CommandStatus::failed);
    }
    const std::optional<ControlAnswer> answer = ControlProtocol::decodeAnswer(*answerLine);
    if (!answer) {
        std::fprintf(stderr, "%s\n",
                     translated("CommandLine", "Tallowmere gave an answer this program does not understand.").c_str());
        return static_cast<int>(CommandStatus::failed);
    }
    std::fputs(answer->output.c_str(), stdout);
    if (!answer->error.empty())
        std::fprintf(stderr, "%s\n", answer->error.c_str());
    if (line.command.kind == ControlCommand::Kind::quit && answer->status == CommandStatus::success) {
        const auto deadline = std::chrono::steady_clock::now() + quitWaitLimit;
        while (isRunning(lockPath) && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(quitPollInterval);
    }
    return static_cast<int>(answer->status);
}

} // namespace

int answerWithoutStarting(const CommandLine& line) {
    const PlatformChoice* chosen = platformNamed(line.platform);
    if (line.action == CommandLine::Action::help) {
        std::fputs(usageText(platformNames()).c_str(), stdout);
        return 0;
    }
    if (line.action == CommandLine::Action::version) {
        BuildBundle bundle; // the project's version, as in the bundle's Info.plist
        std::printf("Tallowmere %s\n", versionText(bundle).c_str());
        return 0;
    }
    if (line.action == CommandLine::Action::badUsage || !chosen) {
        const std::string error =
            chosen ? line.error : filledIn(translated("CommandLine", "Unknown platform: %1"), line.platform);
        std::fputs(filledIn(translated("CommandLine", "%1\nUsage: tallowmere [--platform %2] [COMMAND]\nRun "
                                                      "\"tallowmere --help\" for the commands.\n"),
                            error, platformNames())
                       .c_str(),
                   stderr);
        return static_cast<int>(CommandStatus::badUsage);
    }
    return runCommand(*commandTarget(line), line);
}

} // namespace tallowmere
