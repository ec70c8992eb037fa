#pragma once

#include "Machine.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <chrono>
#include <functional>
#include <map>
#include <string>
#include <thread>
#include <vector>

namespace tallowmere::test {

struct MacsimRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// A fresh simulated Mac in a temporary folder, and macsim run against it as a real process.
class TemporaryMachine {
public:
    TemporaryMachine()
        : m_machine(folder(), MACSIM_EXECUTABLE) {
        m_machine.prepare();
    }

    std::string folder() const { return m_dir.path().toStdString() + "/machine"; }
    macsim::Machine& machine() { return m_machine; }

    QProcessEnvironment environment(const std::map<std::string, std::string>& extra = {}) const {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("TALLOWMERE_SIM_DIR", QString::fromStdString(folder()));
        for (const auto& [key, value] : extra)
            environment.insert(QString::fromStdString(key), QString::fromStdString(value));
        return environment;
    }

    // Runs `program` (macsim by default) to completion.
    MacsimRun run(const std::vector<std::string>& arguments, const std::map<std::string, std::string>& extra = {},
                  const std::string& program = MACSIM_EXECUTABLE) const {
        QProcess process;
        start(process, arguments, extra, program);
        process.waitForFinished(60000);
        return finish(process);
    }

    void start(QProcess& process, const std::vector<std::string>& arguments,
               const std::map<std::string, std::string>& extra = {},
               const std::string& program = MACSIM_EXECUTABLE) const {
        QStringList list;
        for (const std::string& argument : arguments)
            list << QString::fromStdString(argument);
        process.setProcessEnvironment(environment(extra));
        process.start(QString::fromStdString(program), list);
        process.waitForStarted();
    }

    static MacsimRun finish(QProcess& process) {
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                process.readAllStandardOutput().toStdString(), process.readAllStandardError().toStdString()};
    }

private:
    QTemporaryDir m_dir;
    macsim::Machine m_machine;
};

// Polls `done` (which may also pump a runtime) until it holds or the time is up.
inline bool waitUntil(const std::function<bool()>& done, std::chrono::milliseconds limit = std::chrono::seconds(20)) {
    auto deadline = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

inline std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> result;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        result.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return result;
}

} // namespace tallowmere::test
