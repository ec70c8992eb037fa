#pragma once

#include "simulator/Machine.h"

#include "base/Preferences.h"
#include "platform/PlistPreferenceStore.h"
#include "platform/QtRuntime.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QThread>
#include <QTimer>

#include <csignal>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tallowmere::bench {

// The production runtime, made by the benchmarks' main on the main thread.
QtRuntime& runtime();

// The macsim the benchmarks link the stand-in tools to: $TALLOWMERE_MACSIM (to compare builds), else this build's.
inline std::string macsimPath() {
    const QByteArray chosen = qgetenv("TALLOWMERE_MACSIM");
    return chosen.isEmpty() ? std::string(MACSIM_EXECUTABLE) : chosen.toStdString();
}

// A fresh simulated Mac in a temporary folder, with `count` USB volumes "Bench 1" … "Bench N" plugged in.
class BenchMachine {
public:
    explicit BenchMachine(int count)
        : m_machine(folder(), macsimPath()) {
        m_machine.prepare();
        for (int i = 1; i <= count; ++i) {
            macsim::MachineResult added =
                m_machine.addVolume("Bench " + std::to_string(i), macsim::VolumeKind::usb, false, {});
            if (added.ok)
                m_devices.push_back(added.message);
        }
    }

    std::string folder() const { return m_dir.path().toStdString() + "/machine"; }
    macsim::Machine& machine() { return m_machine; }
    const std::vector<std::string>& devices() const { return m_devices; }

    // Mounts every volume again (in this process: no announcement, nothing measured).
    bool mountAll() {
        bool ok = true;
        for (const std::string& device : m_devices)
            ok = m_machine.mount(device).ok && ok;
        return ok;
    }
    int mountedCount() const {
        int mounted = 0;
        for (const macsim::Volume& volume : m_machine.state().volumes)
            mounted += volume.state == macsim::VolumeState::mounted;
        return mounted;
    }

    QProcessEnvironment environment() const {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("TALLOWMERE_SIM_DIR", QString::fromStdString(folder()));
        return environment;
    }
    // Runs macsim on this machine; its standard output, or nothing when it failed.
    std::optional<std::string> macsim(const QStringList& arguments) const {
        QProcess process;
        process.setProcessEnvironment(environment());
        process.start(QString::fromStdString(macsimPath()), arguments);
        if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
            return std::nullopt;
        return process.readAllStandardOutput().toStdString();
    }

private:
    QTemporaryDir m_dir;
    macsim::Machine m_machine;
    std::vector<std::string> m_devices;
};

// Runs this thread's event loop until `done` holds or the limit passes. Work queued to the main queue wakes
// it at once; the ticker only bounds how late a change made elsewhere is noticed.
inline bool processEventsUntil(const std::function<bool()>& done, int limitMilliseconds = 60000) {
    QDeadlineTimer deadline(limitMilliseconds);
    QTimer ticker;
    ticker.start(20);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

// The real application on the machine, set up as a user who protects their disks on the unmount path, past
// onboarding and the launch-time permission question.
class RunningApplication {
public:
    // `analytics`: whether the user leaves usage signals on (they then go to the machine's simulated service).
    explicit RunningApplication(BenchMachine& machine, const QString& executable = TALLOWMERE_EXECUTABLE,
                                bool analytics = false) {
        machine.machine().setFullDiskAccess(macsim::FullDiskAccess::granted);
        PlistPreferenceStore defaults(machine.machine().domainPath());
        for (const char* key : {PreferenceKey::hasLaunchedOnce, PreferenceKey::hasCompletedOnboarding,
                                PreferenceKey::hasCheckedFullDiskAccess, PreferenceKey::autoEjectBeforeSleep,
                                PreferenceKey::unmountInsteadOfEject})
            defaults.setBool(key, true);
        defaults.setBool(PreferenceKey::startAtLogin, false);
        defaults.setBool(PreferenceKey::analyticsEnabled, analytics);
        // Each iteration wakes the machine to get the volumes back; a short delay keeps that quick.
        defaults.setDouble(PreferenceKey::autoEjectRemountDelaySeconds, 0.5);

        m_process.setProcessEnvironment(machine.environment());
        // Into a file, not a pipe: a benchmark busy elsewhere (blocked on the application's socket, say) must not
        // stall the application on a full pipe.
        m_process.setProcessChannelMode(QProcess::MergedChannels);
        m_log.open();
        m_process.setStandardOutputFile(m_log.fileName());
        m_process.start(executable, {});
        // Ready once the launch sequence has run its delayed permission check.
        m_ready = m_process.waitForStarted() && waitForOutput("Tallowmere: Executing Full Disk Access check now");
    }
    ~RunningApplication() {
        if (m_process.state() == QProcess::NotRunning)
            return;
        ::kill(static_cast<pid_t>(m_process.processId()), SIGTERM);
        if (!m_process.waitForFinished(10000))
            m_process.kill();
    }

    bool isReady() const { return m_ready; }
    qint64 pid() const { return m_process.processId(); }
    // Resident memory in KiB, from /proc; 0 when it cannot be read.
    long residentKilobytes() const {
        QFile status(QString("/proc/%1/status").arg(pid()));
        if (!status.open(QIODevice::ReadOnly))
            return 0;
        for (const QByteArray& line : status.readAll().split('\n'))
            if (line.startsWith("VmRSS:"))
                return line.mid(6).trimmed().split(' ').first().toLong();
        return 0;
    }

    bool waitForOutput(const QByteArray& text, int limitMilliseconds = 20000) {
        QElapsedTimer timer;
        timer.start();
        while (!output().contains(text)) {
            if (timer.elapsed() > limitMilliseconds || m_process.state() == QProcess::NotRunning)
                return false;
            QThread::msleep(20);
        }
        return true;
    }
    // Until the application has printed nothing for `quietMilliseconds`: its refreshes after a mount are done.
    void waitUntilQuiet(int quietMilliseconds = 300, int limitMilliseconds = 20000) {
        QElapsedTimer total, quiet;
        total.start();
        quiet.start();
        qint64 size = m_log.size();
        while (quiet.elapsed() < quietMilliseconds && total.elapsed() < limitMilliseconds) {
            QThread::msleep(20);
            if (qint64 now = QFileInfo(m_log.fileName()).size(); now != size) {
                size = now;
                quiet.restart();
            }
        }
    }

private:
    QByteArray output() const {
        QFile file(m_log.fileName());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QTemporaryFile m_log{QDir::tempPath() + "/tallowmere-bench-XXXXXX.log"};
    QProcess m_process;
    bool m_ready = false;
};

} // namespace tallowmere::bench
