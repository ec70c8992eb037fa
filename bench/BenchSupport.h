#pragma once

#include "Machine.h"

#include "platform/QtRuntime.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QTimer>

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

} // namespace tallowmere::bench
