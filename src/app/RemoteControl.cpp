#include "app/RemoteControl.h"

#include "base/Preferences.h"
#include "platform/Log.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>

#include <chrono>
#include <utility>

namespace tallowmere {
namespace {

QString words(const std::string& text) {
    return QString::fromStdString(text);
}

QDateTime dateTime(WallTime time) {
    return QDateTime::fromMSecsSinceEpoch(
        std::chrono::duration_cast<std::chrono::milliseconds>(time.time_since_epoch()).count());
}

std::string guardSentence(bool active, std::optional<WallTime> until) {
    if (!active)
        return "Quenby Guard is off.";
    if (!until)
        return "Quenby Guard is on with no time limit.";
    return QString("Quenby Guard is on until %1.").arg(dateTime(*until).toString("yyyy-MM-dd HH:mm")).toStdString();
}

QString volumeList(const std::vector<StatusReport::Volume>& volumes) {
    QStringList names;
    for (const StatusReport::Volume& volume : volumes)
        names << QString("%1 (%2)").arg(words(volume.name), words(volume.path));
    return names.join(", ");
}

QJsonArray volumesJson(const std::vector<StatusReport::Volume>& volumes) {
    QJsonArray array;
    for (const StatusReport::Volume& volume : volumes)
        array.append(QJsonObject{{"name", words(volume.name)}, {"path", words(volume.path)}});
    return array;
}

ControlAnswer failed(std::string error) {
    return {CommandStatus::failed, {}, std::move(error)};
}

ControlAnswer succeeded(std::string output) {
    return {CommandStatus::success, std::move(output), {}};
}

} // namespace

QByteArray ControlProtocol::encodeRequest(const std::vector<std::string>& words) {
    QJsonArray array;
    for (const std::string& word : words)
        array.append(QString::fromStdString(word));
    return QJsonDocument(array).toJson(QJsonDocument::Compact) + '\n';
}

std::optional<std::vector<std::string>> ControlProtocol::decodeRequest(QByteArrayView line, std::string* error) {
    QJsonParseError problem;
    const QJsonDocument document = QJsonDocument::fromJson(line.toByteArray(), &problem);
    if (!document.isArray()) {
        if (error)
            *error = "The request is not a list of words.";
        return std::nullopt;
    }
    std::vector<std::string> words;
    for (const QJsonValue& word : document.array()) {
        if (!word.isString()) {
            if (error)
                *error = "The request is not a list of words.";
            return std::nullopt;
        }
        words.push_back(word.toString().toStdString());
    }
    return words;
}

QByteArray ControlProtocol::encodeAnswer(const ControlAnswer& answer) {
    QJsonObject object{
        {"status", static_cast<int>(answer.status)}, {"output", words(answer.output)}, {"error", words(answer.error)}};
    return QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n';
}

std::optional<ControlAnswer> ControlProtocol::decodeAnswer(QByteArrayView line) {
    const QJsonDocument document = QJsonDocument::fromJson(line.toByteArray());
    const QJsonValue status = document.object().value("status");
    if (!document.isObject() || !status.isDouble())
        return std::nullopt;
    const int code = status.toInt(-1);
    if (code < static_cast<int>(CommandStatus::success) || code > static_cast<int>(CommandStatus::notRunning))
        return std::nullopt;
    return ControlAnswer{static_cast<CommandStatus>(code), document.object().value("output").toString().toStdString(),
                         document.object().value("error").toString().toStdString()};
}

std::string statusText(const StatusReport& report) {
    QStringList lines;
    lines << words(guardSentence(report.guardActive, report.guardUntil));
    lines << (report.protectionOn ? "Protection across sleep is on." : "Protection across sleep is off.");
    QStringList triggers;
    for (AutoEjectTrigger trigger : report.triggers)
        triggers << QString::fromStdString(title(trigger));
    lines << QString("Triggers: %1.").arg(triggers.join(", "));
    lines << (report.wouldTakeOffline.empty()
                  ? QString("No mounted volume would be taken offline.")
                  : QString("Volumes it would take offline: %1.").arg(volumeList(report.wouldTakeOffline)));
    lines << (report.heldOffline.empty() ? QString("No volume is held offline.")
                                         : QString("Volumes held offline: %1.").arg(volumeList(report.heldOffline)));
    return (lines.join('\n') + '\n').toStdString();
}

std::string statusJson(const StatusReport& report) {
    QJsonArray triggers;
    for (AutoEjectTrigger trigger : report.triggers)
        triggers.append(rawValue(trigger));
    QJsonObject guard{{"active", report.guardActive}};
    guard.insert("until", report.guardUntil ? QJsonValue(dateTime(*report.guardUntil).toUTC().toString(Qt::ISODate))
                                            : QJsonValue());
    QJsonObject object{{"quenbyGuard", guard},
                       {"protection", QJsonObject{{"active", report.protectionOn}, {"triggers", triggers}}},
                       {"wouldTakeOffline", volumesJson(report.wouldTakeOffline)},
                       {"heldOffline", volumesJson(report.heldOffline)}};
    return QJsonDocument(object).toJson(QJsonDocument::Indented).toStdString();
}

std::shared_ptr<RemoteControl> RemoteControl::create(const AppContext& context) {
    return std::shared_ptr<RemoteControl>(new RemoteControl(context));
}

RemoteControl::RemoteControl(const AppContext& context)
    : m_platform(context.platform)
    , m_diskManager(context.diskManager)
    , m_stayAwakeController(context.stayAwakeController)
    , m_commands(context.commands) {}

void RemoteControl::handleRequest(QByteArrayView line, std::function<void(const QByteArray&)> reply) {
    auto answer = [reply = std::move(reply)](const ControlAnswer& answer) {
        reply(ControlProtocol::encodeAnswer(answer));
    };
    std::string problem;
    const std::optional<std::vector<std::string>> words = ControlProtocol::decodeRequest(line, &problem);
    if (!words) {
        answer({CommandStatus::badUsage, {}, problem});
        return;
    }
    ParsedCommand parsed = parseControlCommand(*words);
    if (!parsed.command) {
        answer({CommandStatus::badUsage, {}, parsed.error});
        return;
    }
    logLine(LogCategory::app(), "Command line: " + (*words)[0]);
    run(*parsed.command, std::move(answer));
}

void RemoteControl::run(const ControlCommand& command, Answer answer) {
    std::shared_ptr<AppCommands> commands = m_commands.lock();
    if (!commands) {
        answer(failed("Tallowmere is quitting."));
        return;
    }
    switch (command.kind) {
    case ControlCommand::Kind::status:
        reportStatus(command.json, std::move(answer));
        return;
    case ControlCommand::Kind::eject:
        eject(std::move(answer));
        return;
    case ControlCommand::Kind::ejectAndSleep:
        commands->ejectAndSleep();
        answer(succeeded("Tallowmere takes the external disks offline, then the computer sleeps.\n"));
        return;
    case ControlCommand::Kind::remount:
        remount(std::move(answer));
        return;
    case ControlCommand::Kind::guard:
        switchGuard(command.guard, std::move(answer));
        return;
    case ControlCommand::Kind::settings:
        if (command.section)
            commands->showSettingsSection(*command.section);
        else
            commands->showSettings();
        answer(succeeded({}));
        return;
    case ControlCommand::Kind::quit:
        // Answered first: the answer is on its way before the event loop ends.
        answer(succeeded({}));
        m_platform.runtime.mainAsync([weak = m_commands] {
            if (auto commands = weak.lock())
                commands->quit();
        });
        return;
    }
}

void RemoteControl::reportStatus(bool json, Answer answer) {
    StatusReport report;
    report.guardActive = m_stayAwakeController->isActive();
    report.guardUntil = m_stayAwakeController->activeUntil();
    report.protectionOn = boolPreference(m_platform.preferences, PreferenceKey::autoEjectBeforeSleep);
    for (AutoEjectTrigger trigger : loadAutoEjectTriggers(m_platform.preferences))
        report.triggers.push_back(trigger);
    for (const EjectedDiskInfo& disk : m_diskManager->lastEjectedDisks())
        report.heldOffline.push_back({disk.volumeName, disk.url});
    // Finding the mounted volumes asks diskutil: off the main thread.
    m_platform.runtime.globalAsync(
        QoS::UserInitiated, [self = shared_from_this(), types = enabledDiskTypes(m_platform.preferences),
                             report = std::move(report), json, answer = std::move(answer)]() mutable {
            std::vector<VolumeSelection> mounted = self->m_diskManager->volumeSelections(types);
            self->m_platform.runtime.mainAsync([self, mounted = std::move(mounted), report = std::move(report), json,
                                                answer = std::move(answer)]() mutable {
                for (const VolumeSelection& volume : mounted)
                    if (self->m_diskManager->isIncluded(volume.id))
                        report.wouldTakeOffline.push_back({volume.name, volume.path});
                answer(succeeded(json ? statusJson(report) : statusText(report)));
            });
        });
}

void RemoteControl::switchGuard(const GuardSwitch& request, Answer answer) {
    std::shared_ptr<AppCommands> commands = m_commands.lock();
    const bool active = m_stayAwakeController->isActive();
    switch (request.kind) {
    case GuardSwitch::Kind::on:
        if (!active)
            commands->toggleStayAwakeDefault();
        break;
    case GuardSwitch::Kind::off:
        if (active)
            commands->toggleStayAwakeDefault();
        break;
    case GuardSwitch::Kind::menuDuration:
        commands->stayAwakeForDuration(request.menuDuration);
        break;
    case GuardSwitch::Kind::seconds:
        // Any other time runs the guard once; the default stays as the user chose it.
        m_stayAwakeController->activate(request.seconds);
        break;
    }
    const bool wanted = request.kind != GuardSwitch::Kind::off && !(request.kind == GuardSwitch::Kind::menuDuration &&
                                                                    request.menuDuration == ActivationDuration::off);
    m_platform.runtime.mainAsync([self = shared_from_this(), wanted, answer = std::move(answer)] {
        const bool active = self->m_stayAwakeController->isActive();
        const std::string state = guardSentence(active, self->m_stayAwakeController->activeUntil()) + "\n";
        if (active == wanted)
            answer(succeeded(state));
        else
            answer({CommandStatus::failed, state,
                    wanted ? "Quenby Guard could not be turned on." : "Quenby Guard could not be turned off."});
    });
}

void RemoteControl::eject(Answer answer) {
    m_commands.lock()->ejectDisksReporting([answer = std::move(answer)](const DiskCommandResult& result) {
        if (!result.diskServiceAnswered)
            answer(failed("The disk service did not answer; no volume was taken offline."));
        else if (result.urls.empty())
            answer(succeeded(result.saysUnmount ? "No external disks were found to unmount.\n"
                                                : "No external disks were found to eject.\n"));
        else
            answer(succeeded(
                (result.saysUnmount ? QString("Successfully unmounted: %1.\n") : QString("Successfully ejected: %1.\n"))
                    .arg(words(joinedVolumeNames(result.urls)))
                    .toStdString()));
    });
}

void RemoteControl::remount(Answer answer) {
    if (m_diskManager->isRemounting()) {
        answer(failed("A remount is already running."));
        return;
    }
    if (m_diskManager->lastEjectedDisks().empty()) {
        answer(succeeded("No volume is held offline.\n"));
        return;
    }
    m_commands.lock()->remountDisksReporting([answer = std::move(answer)](const DiskCommandResult& result) {
        if (result.urls.empty())
            answer(failed("No previously ejected disks were available to remount."));
        else
            answer(succeeded(
                QString("Successfully remounted: %1.\n").arg(words(joinedVolumeNames(result.urls))).toStdString()));
    });
}

} // namespace tallowmere
