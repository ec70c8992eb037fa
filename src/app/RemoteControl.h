#pragma once

#include "app/AppCommands.h"
#include "app/CommandLine.h"

#include <QByteArray>
#include <QByteArrayView>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tallowmere {

// The exit statuses of `tallowmere COMMAND`.
enum class CommandStatus { success = 0, failed = 1, badUsage = 2, notRunning = 3 };

// A running copy's answer to a command: its status, what goes to standard output, and the reason it failed.
struct ControlAnswer {
    CommandStatus status = CommandStatus::success;
    std::string output;
    std::string error;
};

// The control socket's lines: a request is a JSON array of the command's words, an answer a JSON object
// {"status": N, "output": "…", "error": "…"}; each one line ending in a line feed.
namespace ControlProtocol {
QByteArray encodeRequest(const std::vector<std::string>& words);
// The words, or nothing (and why) for anything else.
std::optional<std::vector<std::string>> decodeRequest(QByteArrayView line, std::string* error);
QByteArray encodeAnswer(const ControlAnswer& answer);
std::optional<ControlAnswer> decodeAnswer(QByteArrayView line);
} // namespace ControlProtocol

// What `tallowmere status` shows.
struct StatusReport {
    bool guardActive = false;
    std::optional<WallTime> guardUntil;
    bool protectionOn = false;
    std::vector<AutoEjectTrigger> triggers;
    struct Volume {
        std::string name;
        std::string path;
    };
    std::vector<Volume> wouldTakeOffline; // the allowed volumes of the enabled kinds mounted now
    std::vector<Volume> heldOffline;      // the remount list
};
std::string statusText(const StatusReport& report);
std::string statusJson(const StatusReport& report);

// Carries out the commands a second copy of the program sends to the running one, through the application's
// commands, and answers each once on the main queue. Main thread.
class RemoteControl : public std::enable_shared_from_this<RemoteControl> {
public:
    using Answer = std::function<void(const ControlAnswer&)>;

    static std::shared_ptr<RemoteControl> create(const AppContext& context);

    // One request line as it came from the socket; the answer line goes to `reply`.
    void handleRequest(QByteArrayView line, std::function<void(const QByteArray&)> reply);
    void run(const ControlCommand& command, Answer answer);

private:
    explicit RemoteControl(const AppContext& context);

    void reportStatus(bool json, Answer answer);
    void switchGuard(const GuardSwitch& request, Answer answer);
    void eject(Answer answer);
    void remount(Answer answer);

    Platform& m_platform;
    std::shared_ptr<ExternalDiskManager> m_diskManager;
    std::shared_ptr<StayAwakeController> m_stayAwakeController;
    std::weak_ptr<AppCommands> m_commands;
};

} // namespace tallowmere
