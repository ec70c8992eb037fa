#include "linux/LinuxSystem.h"

#include "platform/linux/MountedVolumes.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>
#include <QDBusVariant>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <sched.h>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace tallowmere::test {
namespace {

const QString udisksd = "/usr/libexec/udisks2/udisksd";
const QString udevd = "/lib/systemd/systemd-udevd";
const QString python = "/usr/bin/python3";
const char* folderPrefix = "tallowmere-linux-test-";
const QString sessionPath = "/org/freedesktop/login1/session/c1";
// A method the test adds to the logind mock: the inhibitors it holds, as "what who mode".
const QString testInterface = "com.tallowmere.Test";
std::optional<std::string> privateMountsFailure = "the private mounts were not made";

struct ToolRun {
    int status = -1;
    std::string out, err;
};

ToolRun runTool(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForStarted() || !process.waitForFinished(60000))
        return {-1, {}, process.errorString().toStdString()};
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            process.readAllStandardOutput().trimmed().toStdString(), process.readAllStandardError().toStdString()};
}

bool nameOnBus(QDBusConnection& bus, const QString& name) {
    return bus.isConnected() && bus.interface()->isServiceRegistered(name).value();
}

// Takes one device offline the hard way: whatever mounts it has, then its loop.
void releaseLoop(const std::string& device) {
    for (std::string mountPoint = LinuxSystem::mountPointOf(device); !mountPoint.empty();
         mountPoint = LinuxSystem::mountPointOf(device)) {
        if (::umount2(mountPoint.c_str(), 0) != 0 && ::umount2(mountPoint.c_str(), MNT_DETACH) != 0)
            break;
        QDir().rmdir(QString::fromStdString(mountPoint)); // udisks2's folder, when it did not get to remove it
    }
    runTool("losetup", {"--detach", QString::fromStdString(device)});
}

// Loop devices that a test which died left attached: their images lie in a folder of ours whose test is gone.
void releaseStaleLoops() {
    ToolRun list = runTool("losetup", {"--list", "--noheadings", "--output", "NAME,BACK-FILE"});
    for (const QString& line : QString::fromStdString(list.out).split('\n', Qt::SkipEmptyParts)) {
        QString device = line.section(' ', 0, 0), image = line.section(' ', 1).trimmed();
        // The folder's name carries the process id of its test.
        if (image.contains(folderPrefix) && ::kill(image.section(folderPrefix, 1).section('-', 0, 0).toInt(), 0) != 0) {
            releaseLoop(device.toStdString());
            QDir(QFileInfo(image).absolutePath()).removeRecursively();
        }
    }
}

} // namespace

bool pollUntil(const std::function<bool()>& done, int limitMs) {
    for (QDeadlineTimer deadline(limitMs); !done(); std::this_thread::sleep_for(std::chrono::milliseconds(10)))
        if (deadline.hasExpired())
            return false;
    return true;
}

LinuxSystem::LinuxSystem()
    : m_folder(QDir::tempPath() + "/" + folderPrefix + QString::number(::getpid()) + "-XXXXXX") {}

LinuxSystem::~LinuxSystem() {
    // Daemons first (udisksd would otherwise notice the unmounts below), newest first; then the devices.
    for (auto daemon = m_daemons.rbegin(); daemon != m_daemons.rend(); ++daemon) {
        (*daemon)->terminate();
        (*daemon)->waitForFinished(3000);
    }
    m_daemons.clear(); // kills what did not end
    for (const std::string& device : m_volumes)
        releaseLoop(device);
    QDBusConnection::disconnectFromBus("tallowmere-test-system");
    QDBusConnection::disconnectFromBus("tallowmere-test-session");
}

void LinuxSystem::enterPrivateMounts() {
    if (::geteuid() != 0)
        return;
    std::string failed;
    if (::unshare(CLONE_NEWNS) != 0)
        failed = "unshare";
    else if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
        failed = "making / private";
    for (const char* folder : {"/media", "/run/udisks2"})
        if (failed.empty() && (::mkdir(folder, 0755), ::mount("tmpfs", folder, "tmpfs", 0, "mode=0755") != 0))
            failed = std::string("tmpfs on ") + folder;
    privateMountsFailure = failed.empty()
                               ? std::nullopt
                               : std::optional("no private mount namespace (" + failed + "): " + std::strerror(errno));
}

std::optional<std::string> LinuxSystem::unavailable() {
    if (::geteuid() != 0)
        return "needs root: it attaches loop devices and runs udisksd and systemd-udevd";
    if (privateMountsFailure)
        return privateMountsFailure;
    if (!QFileInfo::exists("/dev/loop-control"))
        return "this machine has no loop devices (/dev/loop-control is missing)";
    for (const QString& program : {udisksd, udevd, python, QString("/usr/bin/dbus-daemon"), QString("/sbin/mkfs.ext4")})
        if (!QFileInfo(program).isExecutable())
            return program.toStdString() + " is not installed (scripts/setup installs it)";
    if (runTool(python, {"-c", "import dbusmock"}).status != 0)
        return "python3-dbusmock is not installed (scripts/setup installs it)";
    if (QDBusConnection bus = QDBusConnection::systemBus(); nameOnBus(bus, "org.freedesktop.UDisks2"))
        return "a udisksd already runs on this machine; a second one on a private bus would fight it over the disks";
    return std::nullopt;
}

QProcessEnvironment LinuxSystem::environment() const {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "XDG_CONFIG_HOME", "XDG_CACHE_HOME"})
        environment.remove(name);
    environment.insert("DBUS_SYSTEM_BUS_ADDRESS", address("system"));
    environment.insert("DBUS_SESSION_BUS_ADDRESS", address("session"));
    environment.insert("XDG_SESSION_ID", sessionPath.section('/', -1));
    environment.insert("HOME", m_folder.path() + "/home");
    environment.insert("XDG_RUNTIME_DIR", m_folder.path() + "/run");
    return environment;
}

bool LinuxSystem::startDaemon(const QString& program, const QStringList& arguments,
                              const QProcessEnvironment& environment, const std::function<bool()>& ready,
                              std::string* error) {
    auto process = std::make_unique<QProcess>();
    process->setProcessEnvironment(environment);
    // Whatever happens to the test, its daemons end with it.
    process->setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
    process->setProcessChannelMode(QProcess::MergedChannels);
    process->setStandardOutputFile(m_folder.path() + "/" + QFileInfo(program).fileName() + ".log", QIODevice::Append);
    process->start(program, arguments);
    process->waitForStarted();
    QProcess* started = process.get();
    m_daemons.push_back(std::move(process));
    if (!pollUntil([&] { return started->state() != QProcess::Running || ready(); }) ||
        started->state() != QProcess::Running) {
        *error = program.toStdString() + " did not come up; see its log in " + m_folder.path().toStdString();
        m_folder.setAutoRemove(false);
        return false;
    }
    return true;
}

bool LinuxSystem::attach(const std::string& label, std::string* error) {
    QString image = m_folder.path() + QString("/volume%1.img").arg(m_volumes.size());
    ToolRun run = runTool("/sbin/mkfs.ext4", {"-q", "-F", "-L", QString::fromStdString(label), image, "16M"});
    if (run.status == 0)
        run = runTool("losetup", {"--find", "--show", image});
    if (run.status != 0)
        *error = "cannot put " + label + " on a loop device: " + run.err;
    else
        m_volumes.push_back(run.out);
    return run.status == 0;
}

bool LinuxSystem::start(const std::vector<std::string>& labels, double batteryPercent, std::string* error) {
    releaseStaleLoops();
    for (const char* folder : {"/home/.config", "/home/.cache", "/run"})
        QDir().mkpath(m_folder.path() + folder);
    QFile::setPermissions(m_folder.path() + "/run", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    // The two buses: the stock session configuration, which lets everyone own any name and send anything.
    for (const char* bus : {"system", "session"}) {
        QString socket = m_folder.path() + "/" + bus + "_bus_socket";
        if (!startDaemon(
                "/usr/bin/dbus-daemon", {"--session", "--nofork", "--nopidfile", "--address=unix:path=" + socket},
                QProcessEnvironment::systemEnvironment(), [&] { return QFileInfo::exists(socket); }, error))
            return false;
    }
    m_system = QDBusConnection::connectToBus(address("system"), "tallowmere-test-system");
    m_session = QDBusConnection::connectToBus(address("session"), "tallowmere-test-session");

    // udev tells udisks2 what is on a device; a machine that runs one already keeps it.
    auto udevAnswers = [] { return runTool("udevadm", {"control", "--ping"}).status == 0; };
    if (!udevAnswers() && !startDaemon(udevd, {}, QProcessEnvironment::systemEnvironment(), udevAnswers, error))
        return false;
    for (const std::string& label : labels)
        if (!attach(label, error))
            return false;
    runTool("udevadm", {"settle", "--timeout=10"});

    QProcessEnvironment environment = this->environment();
    if (!startDaemon(
            udisksd, {}, environment, [&] { return nameOnBus(m_system, "org.freedesktop.UDisks2"); }, error))
        return false;
    for (const std::string& device : m_volumes) {
        // udisks2 publishes a device's file system once udev has probed it.
        QString block = "/org/freedesktop/UDisks2/block_devices/" + QString::fromStdString(device.substr(5));
        if (!pollUntil([&] {
                return callMock(m_system, "org.freedesktop.UDisks2", block, "org.freedesktop.UDisks2.Filesystem",
                                "Mount", {QVariantMap()});
            }) ||
            !pollUntil([&] { return !mountPointOf(device).empty(); })) {
            *error = "udisks2 did not mount " + device;
            return false;
        }
    }

    auto startMock = [&](bool system, const QStringList& arguments, const QString& busName) {
        return startDaemon(
            python,
            QStringList{"-m", "dbusmock", system ? "--system" : "--session", "--logfile", logOf(busName)} + arguments,
            environment, [&] { return nameOnBus(system ? m_system : m_session, busName); }, error);
    };
    if (!startMock(true, {"--template", "logind"}, "org.freedesktop.login1") ||
        !startMock(true, {"--template", "upower"}, "org.freedesktop.UPower") ||
        !startMock(true, {"--template", "power_profiles_daemon"}, "net.hadess.PowerProfiles") ||
        !startMock(false, {"--template", "notification_daemon"}, "org.freedesktop.Notifications") ||
        !startMock(false,
                   {"org.freedesktop.ScreenSaver", "/org/freedesktop/ScreenSaver", "org.freedesktop.ScreenSaver"},
                   "org.freedesktop.ScreenSaver"))
        return false;
    const QString mock = "org.freedesktop.DBus.Mock";
    const QString screensaver = "org.freedesktop.ScreenSaver";
    if (!callMock(m_system, "org.freedesktop.login1", "/org/freedesktop/login1", mock, "AddSession",
                  {sessionPath.section('/', -1), "seat0", uint(::getuid()), "root", true}) ||
        !callMock(m_system, "org.freedesktop.login1", "/org/freedesktop/login1", mock, "AddMethod",
                  {testInterface, "Held", "", "as",
                   "ret = ['%s %s %s' % (i[0], i[1], i[3]) for i in globals().get('inhibitors', [])]"}) ||
        !callMock(m_system, "org.freedesktop.UPower", "/org/freedesktop/UPower", mock, "AddDischargingBattery",
                  {"mock_BAT", "Mock Battery", batteryPercent, qlonglong(3600)}) ||
        !callMock(m_session, screensaver, "/org/freedesktop/ScreenSaver", mock, "AddMethod",
                  {screensaver, "Inhibit", "ss", "u", "ret = 42"}) ||
        !callMock(m_session, screensaver, "/org/freedesktop/ScreenSaver", mock, "AddMethod",
                  {screensaver, "UnInhibit", "u", "", ""})) {
        *error = "the mock services did not take their set-up";
        return false;
    }
    return true;
}

bool LinuxSystem::callMock(QDBusConnection& bus, const QString& service, const QString& path, const QString& interface,
                           const QString& method, const QVariantList& arguments) {
    QDBusMessage call = QDBusMessage::createMethodCall(service, path, interface, method);
    call.setArguments(arguments);
    return bus.call(call, QDBus::Block, 10000).type() == QDBusMessage::ReplyMessage;
}

bool LinuxSystem::prepareForSleep(bool sleeping) {
    QVariantList arguments{QVariant::fromValue(QDBusVariant(sleeping))};
    return callMock(m_system, "org.freedesktop.login1", "/org/freedesktop/login1", "org.freedesktop.DBus.Mock",
                    "EmitSignal", {"org.freedesktop.login1.Manager", "PrepareForSleep", "b", arguments});
}

bool LinuxSystem::session(const QString& method, const QVariantList& arguments) {
    return callMock(m_system, "org.freedesktop.login1", sessionPath, "org.freedesktop.login1.Session", method,
                    arguments);
}

std::string LinuxSystem::callLog(const QString& service) const {
    QFile log(logOf(service));
    return log.open(QIODevice::ReadOnly) ? log.readAll().toStdString() : "";
}

bool LinuxSystem::holds(const std::string& what, const std::string& mode) {
    QDBusReply<QStringList> held = m_system.call(
        QDBusMessage::createMethodCall("org.freedesktop.login1", "/org/freedesktop/login1", testInterface, "Held"));
    return held.isValid() && held.value().contains(QString::fromStdString(what + " Tallowmere " + mode));
}

std::string LinuxSystem::mountPointOf(const std::string& device) {
    for (const MountEntry& entry : readMountTable())
        if (entry.source == device)
            return entry.mountPoint;
    return {};
}

} // namespace tallowmere::test
