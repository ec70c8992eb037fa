#include "disks/Diskutil.h"

#include "platform/PropertyList.h"

#include <QStringDecoder>

namespace tallowmere {

bool isValidUtf8(std::string_view bytes) {
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
    return !decoder.hasError();
}

Diskutil::Diskutil(ProcessRunner& processes, const SystemTools& tools)
    : m_processes(processes)
    , m_tools(tools) {}

ProcessResult Diskutil::run(std::vector<std::string> arguments, bool captureOutput, bool captureError,
                            std::chrono::milliseconds timeLimit) const {
    ProcessRequest request(m_tools.diskutil(), std::move(arguments));
    request.captureStandardOutput = captureOutput;
    request.captureStandardError = captureError;
    request.timeLimit = timeLimit;
    return m_processes.run(request);
}

Diskutil::Query Diskutil::query(std::vector<std::string> arguments) const {
    Query query;
    query.process = run(std::move(arguments), true, false, queryTimeLimit);
    if (query.process.succeeded() && !query.process.timedOut)
        query.dictionary = PropertyList::parseDictionary(query.process.standardOutput);
    return query;
}

} // namespace tallowmere
