#include "disks/TimeMachine.h"

#include "disks/Diskutil.h"

#include <string_view>
#include <utility>

namespace tallowmere {
namespace {

// Whether the status text names the volume's path itself, not a longer one that starts the same
// ("/Volumes/Backup" must not match a backup to "/Volumes/Backup 2").
bool mentionsVolumePath(const std::string& text, const std::string& path) {
    for (size_t at = text.find(path); at != std::string::npos; at = text.find(path, at + 1)) {
        size_t next = at + path.size();
        if (next == text.size() || std::string_view("\";/\r\n").find(text[next]) != std::string_view::npos)
            return true;
    }
    return false;
}

} // namespace

TimeMachine::TimeMachine(const DiskServices& services)
    : m_services(services) {}

TimeMachine::BackupStatus TimeMachine::runningBackup() const {
    const std::string tmutil = m_services.tools.tmutil();
    if (!m_services.fileSystem.isExecutableFile(tmutil))
        return std::nullopt;
    ProcessRequest statusRequest(tmutil, {"status"});
    statusRequest.timeLimit = queryTimeLimit;
    ProcessResult status = m_services.processes.run(statusRequest);
    if (!status.succeeded() || status.timedOut || !isValidUtf8(status.standardOutput) ||
        status.standardOutput.find("Running = 1") == std::string::npos)
        return std::nullopt;
    return std::move(status.standardOutput);
}

bool TimeMachine::stopBackupTo(const BackupStatus& status, const std::string& volumePath) const {
    if (!status || !mentionsVolumePath(*status, volumePath))
        return false;
    ProcessRequest stopRequest(m_services.tools.tmutil(), {"stopbackup"});
    stopRequest.captureStandardOutput = false;
    stopRequest.timeLimit = offlineTimeLimit;
    const ProcessResult stop = m_services.processes.run(stopRequest);
    return stop.succeeded() && !stop.timedOut;
}

} // namespace tallowmere
