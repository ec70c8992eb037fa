#include "disks/Diskutil.h"

#include "platform/PropertyList.h"

#include <QStringDecoder>

#include <utility>

namespace tallowmere {

bool isValidUtf8(std::string_view bytes) {
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
    return !decoder.hasError();
}

Diskutil::Diskutil(ProcessRunner& processes, const SystemTools& tools)
    : m_processes(processes)
    , m_tools(tools) {}

ProcessResult Diskutil::run(std::vector<std::string> arguments, Capture capture,
                            std::chrono::milliseconds timeLimit) const {
    ProcessRequest request(m_tools.diskutil(), std::move(arguments));
    request.captureStandardOutput = capture != Capture::error;
    request.captureStandardError = capture != Capture::output;
    request.timeLimit = timeLimit;
    return m_processes.run(request);
}

Diskutil::Query Diskutil::query(std::vector<std::string> arguments) const {
    Query query;
    query.process = run(std::move(arguments), Capture::output, queryTimeLimit);
    if (query.process.succeeded() && !query.process.timedOut)
        query.dictionary = PropertyList::parseDictionary(query.process.standardOutput);
    return query;
}

std::optional<bool> Diskutil::mountState(const std::string& volumeName, const std::string& deviceIdentifier) const {
    // diskutil reads a volume name that looks like a device identifier ("disk4s1") as that identifier, so each
    // answer must be about the volume asked for: its name, or its identifier.
    std::vector<std::pair<std::string, const char*>> candidates{{volumeName, "VolumeName"}};
    if (!deviceIdentifier.empty())
        candidates.emplace_back(deviceIdentifier, "DeviceIdentifier");
    for (const auto& [candidate, key] : candidates) {
        Query answer = info(candidate);
        if (answer.process.timedOut)
            return std::nullopt;
        if (!answer.dictionary)
            continue;
        if (const auto* answeredFor = findAs<std::string>(*answer.dictionary, key);
            answeredFor && *answeredFor != candidate)
            continue;
        if (const auto* mountPoint = findAs<std::string>(*answer.dictionary, "MountPoint"))
            return !mountPoint->empty();
    }
    return false;
}

} // namespace tallowmere
