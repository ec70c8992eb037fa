#pragma once

#include "simulator/Machine.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <chrono>
#include <functional>
#include <map>
#include <sstream>
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

    // Runs `program` (macsim by default) to completion.
    MacsimRun run(const std::vector<std::string>& arguments, const std::map<std::string, std::string>& extra = {},
                  const std::string& program = MACSIM_EXECUTABLE) const {
        QProcess process;
        start(process, arguments, extra, program);
        process.waitForFinished(60000);
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                process.readAllStandardOutput().toStdString(), process.readAllStandardError().toStdString()};
    }

    void start(QProcess& process, const std::vector<std::string>& arguments,
               const std::map<std::string, std::string>& extra = {},
               const std::string& program = MACSIM_EXECUTABLE) const {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("TALLOWMERE_SIM_DIR", QString::fromStdString(folder()));
        // The C locale, whatever the desktop's: the tests read the English texts.
        environment.insert("LC_ALL", "C");
        environment.remove("LC_MESSAGES");
        environment.remove("LANGUAGE");
        for (const auto& [key, value] : extra)
            environment.insert(QString::fromStdString(key), QString::fromStdString(value));
        QStringList list;
        for (const std::string& argument : arguments)
            list << QString::fromStdString(argument);
        process.setProcessEnvironment(environment);
        process.start(QString::fromStdString(program), list);
        process.waitForStarted();
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
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);)
        result.push_back(line);
    return result;
}

} // namespace tallowmere::test
