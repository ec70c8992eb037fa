#pragma once

#include "sim/SimTestSupport.h"

#include <QProcess>

#include <csignal>
#include <string>

namespace tallowmere::test {

// The real `tallowmere` on a fresh simulated Mac, driven with the real `macsim`.
class RunningApp {
public:
    RunningApp() = default;
    ~RunningApp() { stop(); }

    TemporaryMachine& sim() { return m_sim; }
    MacsimRun macsim(const std::vector<std::string>& arguments) { return m_sim.run(arguments); }
    void defaults(const std::string& key, const std::string& type, const std::string& value) {
        m_sim.run({"defaults", "write", key, type, value});
    }

    // Starts the application and waits until its launch sequence is over (its first timer has fired).
    bool start() {
        m_sim.start(m_app, {}, {}, TALLOWMERE_EXECUTABLE);
        return m_app.waitForStarted() && waitForOutput("Tallowmere: Executing Full Disk Access check now");
    }
    void stop() {
        if (m_app.state() == QProcess::NotRunning)
            return;
        ::kill(static_cast<pid_t>(m_app.processId()), SIGTERM);
        if (!m_app.waitForFinished(20000))
            m_app.kill();
        m_app.waitForFinished(5000);
    }

    // Everything the application wrote on standard output so far.
    std::string output() {
        m_output += m_app.readAllStandardOutput().toStdString();
        return m_output;
    }
    bool waitForOutput(const std::string& line) {
        return waitUntil([&] {
            m_app.waitForReadyRead(5);
            return output().find(line) != std::string::npos;
        });
    }

    // Polls a macsim listing until `done` accepts it.
    bool waitFor(const std::vector<std::string>& command, const std::function<bool(const std::string&)>& done) {
        return waitUntil([&] { return done(macsim(command).out); });
    }
    std::string volumeState(const std::string& name) {
        for (const std::string& line : lines(macsim({"volume", "list"}).out)) {
            auto fields = split(line);
            if (fields.size() == 4 && fields[1] == name)
                return fields[2];
        }
        return "";
    }

    static std::vector<std::string> split(const std::string& line, char separator = '\t') {
        std::vector<std::string> fields;
        size_t start = 0;
        for (size_t end; (end = line.find(separator, start)) != std::string::npos; start = end + 1)
            fields.push_back(line.substr(start, end - start));
        fields.push_back(line.substr(start));
        return fields;
    }
    // Seconds from "sleep allowed after S s"; -1 for any other answer.
    static double allowedAfter(const std::string& answer) {
        const std::string prefix = "sleep allowed after ";
        if (answer.rfind(prefix, 0) != 0)
            return -1;
        return std::stod(answer.substr(prefix.size()));
    }

private:
    TemporaryMachine m_sim;
    QProcess m_app;
    std::string m_output;
};

} // namespace tallowmere::test
