#pragma once

#include <QDBusConnection>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tallowmere::test {

// A Linux machine for one test: private system and session buses, the real systemd-udevd (unless one runs) and
// udisksd, small ext4 images on loop devices mounted through udisks2, and python3-dbusmock's logind, UPower,
// power-profiles-daemon, notification daemon and a screensaver. It stops only what it started and always takes its
// loop devices offline (also those a crashed earlier run left). Needs root, loop devices and a private mount
// namespace: see `unavailable`.
class LinuxSystem {
public:
    LinuxSystem();
    ~LinuxSystem();

    // Gives this process (and so every daemon it starts) mounts of its own, with empty /media and /run/udisks2, so
    // that runs side by side never see each other's volumes. First thing in main: it needs a single thread.
    static void enterPrivateMounts();
    // Why this machine cannot host the system; nothing when it can.
    static std::optional<std::string> unavailable();

    // Brings everything up with one volume per label and the battery at `batteryPercent`.
    bool start(const std::vector<std::string>& labels, double batteryPercent, std::string* error);

    // The volumes' devices ("/dev/loop3"), in the order of their labels.
    const std::vector<std::string>& volumes() const { return m_volumes; }
    // The environment the application runs in: the private buses, the logind session, a home of its own.
    QProcessEnvironment environment() const;
    std::string configFolder() const { return m_folder.path().toStdString() + "/home/.config"; }

    // Where `device` is mounted now (from /proc/self/mountinfo); empty when it is not.
    static std::string mountPointOf(const std::string& device);

    // python3-dbusmock: logind's sleep signal, a call to a mock, the calls a mock logged, whether the application
    // holds a logind inhibitor.
    bool prepareForSleep(bool sleeping);
    bool callMock(QDBusConnection& bus, const QString& service, const QString& path, const QString& interface,
                  const QString& method, const QVariantList& arguments = {});
    std::string callLog(const QString& service) const;
    bool holds(const std::string& what, const std::string& mode);
    // A call to the logind session the application runs in ("SetLockedHint", "Unlock").
    bool session(const QString& method, const QVariantList& arguments = {});

private:
    bool startDaemon(const QString& program, const QStringList& arguments, const QProcessEnvironment& environment,
                     const std::function<bool()>& ready, std::string* error);
    bool attach(const std::string& label, std::string* error);
    QString address(const QString& bus) const { return "unix:path=" + m_folder.path() + "/" + bus + "_bus_socket"; }
    QString logOf(const QString& service) const { return m_folder.path() + "/" + service + ".log"; }

    QTemporaryDir m_folder;
    QDBusConnection m_system{""}, m_session{""};      // connected in start()
    std::vector<std::unique_ptr<QProcess>> m_daemons; // in start order; stopped in reverse
    std::vector<std::string> m_volumes;               // every loop device attached here
};

// Polls `done` until it holds or `limit` milliseconds have passed.
bool pollUntil(const std::function<bool()>& done, int limitMs = 15000);

} // namespace tallowmere::test
