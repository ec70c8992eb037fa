#include "platform/QtProcessRunner.h"

#include <QProcess>
#include <QStringList>

namespace tallowmere {
namespace {

QStringList toArguments(const std::vector<std::string>& arguments) {
    QStringList list;
    list.reserve(static_cast<qsizetype>(arguments.size()));
    for (const std::string& argument : arguments)
        list << QString::fromStdString(argument);
    return list;
}

std::string toStd(const QByteArray& bytes) {
    return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

} // namespace

ProcessResult QtProcessRunner::run(const ProcessRequest& request) {
    ProcessResult result;
    QProcess process;
    process.setProgram(QString::fromStdString(request.executable));
    process.setArguments(toArguments(request.arguments));
    process.setInputChannelMode(QProcess::ForwardedInputChannel);
    if (request.captureStandardOutput && request.captureStandardError)
        process.setProcessChannelMode(QProcess::SeparateChannels);
    else if (request.captureStandardOutput)
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    else if (request.captureStandardError)
        process.setProcessChannelMode(QProcess::ForwardedOutputChannel);
    else
        process.setProcessChannelMode(QProcess::ForwardedChannels);

    process.start(QIODevice::ReadOnly);
    if (!process.waitForStarted(-1)) {
        result.errorDescription = process.errorString().toStdString();
        return result;
    }
    result.started = true;

    int limit = request.timeLimit ? static_cast<int>(request.timeLimit->count()) : -1;
    if (!process.waitForFinished(limit) && process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished(-1);
        result.timedOut = true;
        result.errorDescription = "The process did not finish within its time limit.";
    }
    if (request.captureStandardOutput)
        result.standardOutput = toStd(process.readAllStandardOutput());
    if (request.captureStandardError)
        result.standardError = toStd(process.readAllStandardError());

    if (result.timedOut)
        result.exitStatus = -1;
    else if (process.exitStatus() == QProcess::CrashExit) {
        result.exitStatus = -1;
        result.errorDescription = process.errorString().toStdString();
    } else
        result.exitStatus = process.exitCode();
    return result;
}

std::optional<std::string> QtProcessRunner::launchDetached(const std::string& executable,
                                                           const std::vector<std::string>& arguments) {
    QProcess process;
    process.setProgram(QString::fromStdString(executable));
    process.setArguments(toArguments(arguments));
    if (!process.startDetached())
        return process.errorString().toStdString();
    return std::nullopt;
}

} // namespace tallowmere
