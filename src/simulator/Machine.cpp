#include "simulator/Machine.h"

#include "simulator/QtText.h"

#include "platform/FileLock.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>

#include <cstdio>

namespace macsim {
namespace {

constexpr QFile::Permissions ownerOnly =
    QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadUser | QFile::WriteUser | QFile::ExeUser;

} // namespace

std::optional<std::string> volumeNameProblem(const std::string& name) {
    if (name.empty())
        return "a volume name cannot be empty";
    if (name == "." || name == "..")
        return "a volume cannot be named \"" + name + "\"";
    if (name.find('/') != std::string::npos)
        return "a volume name cannot contain \"/\"";
    if (name.find('\0') != std::string::npos)
        return "a volume name cannot contain a NUL character";
    if (name.size() > 255)
        return "a volume name can have at most 255 bytes";
    if (QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())).toUtf8() !=
        QByteArray(name.data(), static_cast<qsizetype>(name.size())))
        return "a volume name must be UTF-8 text";
    return std::nullopt;
}

Machine::Machine(const std::string& folder, std::string macsimPath)
    : m_folder(QDir::cleanPath(q(folder)).toStdString())
    , m_macsimPath(std::move(macsimPath)) {}

std::vector<std::string> Machine::requiredFolders() const {
    return {m_folder,      volumesFolder(), disksFolder(), binFolder(), homeFolder() + "/Library/Preferences",
            cachesFolder()};
}

bool Machine::createFolders(std::string* error) {
    for (const std::string& folder : requiredFolders()) {
        if (!QDir().mkpath(q(folder))) {
            if (error)
                *error = "cannot create the folder " + folder;
            return false;
        }
    }
    // The machine, with the application's socket and the user's preferences in it, is the user's alone.
    if (!QFile::setPermissions(q(m_folder), ownerOnly)) {
        if (error)
            *error = "cannot make the folder " + m_folder + " private";
        return false;
    }
    return true;
}

// A link whose target still runs is kept, so two builds sharing one machine do not fight over it.
bool Machine::isUsableToolLink(const char* tool) const {
    QFileInfo current(q(binFolder() + "/" + tool));
    return current.isSymLink() && QFileInfo(current.symLinkTarget()).isExecutable();
}

void Machine::linkTools() {
    if (m_macsimPath.empty())
        return;
    for (const char* tool : {"diskutil", "tmutil", "pmset"}) {
        if (isUsableToolLink(tool))
            continue;
        QString link = q(binFolder() + "/" + tool);
        QFile::remove(link);
        QFile::link(q(m_macsimPath), link);
    }
}

bool Machine::isPrepared() const {
    for (const std::string& folder : requiredFolders())
        if (!QFileInfo(q(folder)).isDir())
            return false;
    if (QFileInfo(q(m_folder)).permissions() & ~ownerOnly)
        return false;
    if (!m_macsimPath.empty())
        for (const char* tool : {"diskutil", "tmutil", "pmset"})
            if (!isUsableToolLink(tool))
                return false;
    return QFileInfo::exists(q(statePath()));
}

std::unique_ptr<tallowmere::FileLock> Machine::lockMachine(std::string* error) const {
    if (!QDir().mkpath(q(m_folder))) {
        if (error)
            *error = "cannot create the machine folder " + m_folder;
        return nullptr;
    }
    auto lock = std::make_unique<tallowmere::FileLock>(lockPath());
    if (!lock->isLocked()) {
        if (error)
            *error = "cannot lock the machine in " + m_folder;
        return nullptr;
    }
    return lock;
}

bool Machine::prepare(std::string* error) {
    // Every stand-in tool run starts here; on a machine that is complete it must not queue for the lock.
    if (isPrepared())
        return true;
    auto lock = lockMachine(error);
    if (!lock)
        return false;
    if (!createFolders(error))
        return false;
    linkTools();
    if (QFileInfo::exists(q(statePath())))
        return true;
    QDir().mkpath(q(protectedFolder()));
    return writeStateLocked(MachineState{}, error);
}

MachineState Machine::readStateLocked(bool repair) const {
    QFile file(q(statePath()));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QByteArray bytes = file.readAll();
    file.close();
    QJsonParseError parseError{};
    QJsonDocument document = QJsonDocument::fromJson(bytes, &parseError);
    if (document.isObject())
        return MachineState::fromJson(document.object());
    if (repair) {
        // A damaged state file is kept beside the machine rather than overwritten.
        QString aside = q(statePath()) + ".corrupt-" + QDateTime::currentDateTimeUtc().toString("yyyyMMdd-HHmmss-zzz");
        QFile::rename(q(statePath()), aside);
        std::fprintf(stderr, "macsim: %s was not readable (%s); moved it to %s and started a default machine\n",
                     statePath().c_str(), parseError.errorString().toStdString().c_str(), aside.toStdString().c_str());
    }
    return {};
}

bool Machine::writeStateLocked(const MachineState& state, std::string* error) {
    // Replaced by a rename, so every reader sees a whole state. Not synced to the disk: the machine is a model
    // that need not survive a power cut, and a sync on every tool run (all of them queued on the machine's lock)
    // made a many-volume sleep wait for the disk more than for anything the application does.
    const std::string next = statePath() + ".next";
    QFile file(q(next));
    QByteArray bytes = QJsonDocument(state.toJson()).toJson(QJsonDocument::Indented);
    bool written =
        file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size() && file.flush();
    file.close();
    if (written && std::rename(next.c_str(), statePath().c_str()) == 0)
        return true;
    if (error)
        *error = "cannot write " + statePath() + ": " + file.errorString().toStdString();
    QFile::remove(q(next));
    return false;
}

MachineState Machine::state() const {
    return readStateLocked(false);
}

bool Machine::update(const std::function<bool(MachineState&)>& change, std::string* error) {
    auto lock = lockMachine(error);
    if (!lock)
        return false;
    MachineState state = readStateLocked(true);
    if (!change(state))
        return false;
    return writeStateLocked(state, error);
}

bool Machine::reset(std::string* error) {
    if (!QDir().mkpath(q(m_folder))) {
        if (error)
            *error = "cannot create the machine folder " + m_folder;
        return false;
    }
    tallowmere::FileLock lock(lockPath());
    std::optional<ProcessIdentity> app = readStateLocked(false).app;
    for (const std::string& folder : {volumesFolder(), disksFolder(), homeFolder()})
        QDir(q(folder)).removeRecursively();
    QFile::remove(q(analyticsPath()));
    QFile::remove(q(notificationLogPath()));
    if (!createFolders(error))
        return false;
    linkTools();
    QDir().mkpath(q(protectedFolder()));
    MachineState fresh;
    fresh.app = app;
    return writeStateLocked(fresh, error);
}

bool Machine::moveFolder(const std::string& from, const std::string& to) {
    if (!QFileInfo::exists(q(from)))
        return QDir().mkpath(q(to));
    return QDir().rename(q(from), q(to));
}

MachineResult Machine::volumeChange(const std::function<MachineResult(MachineState&)>& change) {
    MachineResult result;
    std::string error;
    bool written = update(
        [&](MachineState& state) {
            result = change(state);
            return result.ok;
        },
        &error);
    if (result.ok && !written)
        return MachineResult::failure(error);
    return result;
}

} // namespace macsim
