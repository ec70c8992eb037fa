#pragma once

#include "sim/SimTestSupport.h"

#include <QProcess>

#include <csignal>
#include <string>

namespace tallowmere::test {

// The real `tallowmere` on a fresh simulated Mac, driven with the real `macsim`.
class RunningApp {
public:
    ~RunningApp() { stop(); }

    TemporaryMachine& sim() { return m_sim; }
    MacsimRun macsim(const std::vector<std::string>& arguments) { return m_sim.run(arguments); }
    MacsimRun ui(std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), "ui");
        return m_sim.run(arguments);
    }
    void defaults(const std::string& key, const std::string& type, const std::string& value) {
        m_sim.run({"defaults", "write", key, type, value});
    }
    // A user who takes drives offline before sleep (on the unmount path, the default) and gets them back soon after
    // a wake.
    void protectOnTheUnmountPath() {
        defaults("autoEjectBeforeSleep", "-bool", "true");
        defaults("autoEjectRemountDelaySeconds", "-float", "0.2");
    }

    // Starts the application and waits until its launch sequence is over (its first timer has fired), or until it
    // writes `launched`.
    bool start(const std::map<std::string, std::string>& environment = {},
               const std::string& launched = "Tallowmere: Executing Full Disk Access check now") {
        m_output.clear();
        m_sim.start(m_app, {"--platform", "sim"}, environment, TALLOWMERE_EXECUTABLE);
        return m_app.waitForStarted() && waitForOutput(launched);
    }
    qint64 pid() const { return m_app.processId(); }
    // Terminates it as the system would; true when it exited by itself.
    bool stop() {
        if (m_app.state() == QProcess::NotRunning)
            return false;
        ::kill(static_cast<pid_t>(m_app.processId()), SIGTERM);
        if (m_app.waitForFinished(20000))
            return m_app.exitStatus() == QProcess::NormalExit;
        killNow();
        return false;
    }
    // Waits for it to end by itself; true when it exited normally with status 0.
    bool waitForExit() {
        return m_app.waitForFinished(20000) && m_app.exitStatus() == QProcess::NormalExit && m_app.exitCode() == 0;
    }

    // Ends it at once, as a crash would: nothing of its own shutdown runs.
    void killNow() {
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
    bool waitForListing(const std::vector<std::string>& command, const std::string& part) {
        return waitFor(command, [&](const std::string& listing) { return listing.find(part) != std::string::npos; });
    }
    std::string volumeState(const std::string& name) {
        for (const std::string& line : lines(macsim({"volume", "list"}).out)) {
            QStringList fields = QString::fromStdString(line).split('\t');
            if (fields.size() == 4 && fields[1].toStdString() == name)
                return fields[2].toStdString();
        }
        return "";
    }
    // Seconds from "sleep allowed after S s"; -1 for any other answer.
    double sleepAllowedAfter() {
        const std::string answer = macsim({"sleep"}).out, prefix = "sleep allowed after ";
        return answer.rfind(prefix, 0) == 0 ? std::stod(answer.substr(prefix.size())) : -1;
    }

private:
    TemporaryMachine m_sim;
    QProcess m_app;
    std::string m_output;
};

} // namespace tallowmere::test
