#include "ControlCommands.h"

#include "Announcer.h"
#include "CommandOutput.h"
#include "DefaultsCommand.h"
#include "SleepHandshake.h"
#include "StandInTools.h"
#include "UiCommand.h"
#include "VolumeCommands.h"
#include "platform/DecimalText.h"
#include "platform/ListingText.h"
#include "simulator/AppLink.h"

#include <QFileInfo>
#include <QJsonDocument>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <functional>
#include <map>

namespace macsim {

using tallowmere::escapeListingField;
namespace {

using Arguments = std::vector<std::string>;

std::optional<double> parseNumber(const std::string& text) {
    return tallowmere::DecimalText::wholeNumber(text);
}

std::optional<int> parseInteger(const std::string& text) {
    int value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

int changeState(Machine& machine, const std::function<void(MachineState&)>& change) {
    std::string error;
    if (!machine.update(
            [&](MachineState& state) {
                change(state);
                return true;
            },
            &error))
        return failure(error);
    return exitDone;
}

// Changes the state, then tells the running application.
int event(Machine& machine, const std::function<void(MachineState&)>& change, const std::string& center,
          const std::string& name) {
    if (int status = changeState(machine, change); status != exitDone)
        return status;
    Announcer announcer(machine);
    if (center == "workspace")
        announcer.workspace(name);
    else if (center == "distributed")
        announcer.distributed(name);
    else
        announcer.defaultCenter(name);
    return exitDone;
}

int application(Machine& machine) {
    auto attached = machine.attachedApp();
    if (attached && QFileInfo::exists(QString::fromStdString(machine.socketPath()))) {
        AppLink link(machine.socketPath());
        if (link.connect(2000) && link.send(AppEvent::ping())) {
            while (auto reply = link.receive(5000)) {
                if (reply->value("event").toString() == "pong") {
                    printLine("running " + std::to_string(static_cast<std::int64_t>(reply->value("pid").toDouble())));
                    return exitDone;
                }
            }
        }
    }
    printError("no application is running on this machine");
    return exitNoApplication;
}

std::string onOff(bool value) {
    return value ? "on" : "off";
}

int status(Machine& machine, const Arguments& arguments) {
    bool json = arguments.size() == 1 && arguments[0] == "--json";
    if (!arguments.empty() && !json)
        return usageError("status takes only --json");
    MachineState state = machine.state();
    std::optional<ProcessIdentity> app = machine.attachedApp();
    std::vector<Assertion> assertions = machine.liveAssertions();
    if (json) {
        state.assertions = assertions;
        QJsonObject document = state.toJson();
        document["folder"] = QString::fromStdString(machine.folder());
        document["app"] = app ? QJsonValue(QJsonObject{{"pid", static_cast<double>(app->pid)}}) : QJsonValue();
        printOut(QJsonDocument(document).toJson(QJsonDocument::Indented).toStdString());
        return exitDone;
    }
    auto line = [](const std::string& key, const std::string& value) { printLine(key + ": " + value); };
    line("folder", escapeListingField(machine.folder()));
    line("app", app ? "running " + std::to_string(app->pid) : "none");
    line("power", state.awake ? "awake" : "asleep");
    line("displays", state.displaysAsleep ? "asleep" : "awake");
    line("screen", state.screenLocked ? "locked" : "unlocked");
    line("screensaver", state.screensaverRunning ? "running" : "stopped");
    line("session", state.sessionActive ? "active" : "resigned");
    line("screens", std::to_string(state.screens));
    if (state.battery) {
        char text[96];
        std::snprintf(text, sizeof text, "%g of %g, AC Power", state.battery->currentCapacity,
                      state.battery->maxCapacity);
        line("battery", text);
    } else {
        line("battery", "none");
    }
    line("low power mode", onOff(state.lowPowerMode));
    line("full disk access", name(state.fullDiskAccess));
    const char* statuses[] = {"notDetermined", "denied", "authorized", "provisional", "ephemeral"};
    line("notifications", std::string(statuses[state.notificationAuthorization]) + ", the user answers " +
                              (state.userAllowsNotifications ? "allow" : "deny") + ", " +
                              std::to_string(machine.notifications().size()) + " posted");
    line("login item", state.loginItemRegistered ? "registered" : "unregistered");
    line("updates", std::string("automatic=") + (state.automaticUpdateChecks ? "true" : "false") +
                        " checks=" + std::to_string(state.updateChecks));
    line("activation policy", state.activationPolicy);
    const Volume* backup = state.timeMachineDevice ? state.findVolumeByDevice(*state.timeMachineDevice) : nullptr;
    line("time machine", backup ? "running to " + escapeListingField(backup->name) : "idle");
    line("volumes", std::to_string(state.volumes.size()));
    line("assertions", std::to_string(assertions.size()));
    line("analytics", "responds " + std::to_string(state.analyticsStatus) + ", " +
                          std::to_string(machine.analyticsRecords().size()) + " records");
    return exitDone;
}

int notifications(Machine& machine, const Arguments& arguments) {
    if (arguments.empty() || (arguments.size() == 1 && arguments[0] == "--json")) {
        const std::vector<PostedNotification> posted = machine.notifications();
        if (!arguments.empty()) {
            QJsonArray list;
            for (const PostedNotification& notification : posted)
                list.append(notification.toJson());
            printOut(QJsonDocument(list).toJson(QJsonDocument::Indented).toStdString());
            return exitDone;
        }
        for (const PostedNotification& n : posted)
            printLine(escapeListingField(n.identifier) + "\t" + escapeListingField(n.title) + "\t" +
                      escapeListingField(n.body));
        return exitDone;
    }
    if (arguments.size() == 2 && arguments[0] == "auth") {
        const std::map<std::string, int> statuses = {
            {"notDetermined", 0}, {"denied", 1}, {"authorized", 2}, {"provisional", 3}, {"ephemeral", 4}};
        auto it = statuses.find(arguments[1]);
        if (it == statuses.end())
            return usageError("notifications auth takes notDetermined, denied, authorized, provisional or ephemeral");
        return changeState(machine, [&](MachineState& state) { state.notificationAuthorization = it->second; });
    }
    if (arguments.size() == 2 && arguments[0] == "answer" && (arguments[1] == "allow" || arguments[1] == "deny"))
        return changeState(machine,
                           [&](MachineState& state) { state.userAllowsNotifications = arguments[1] == "allow"; });
    return usageError("notifications takes --json, auth STATUS or answer allow|deny");
}

int analytics(Machine& machine, const Arguments& arguments) {
    if (arguments.size() == 2 && arguments[0] == "respond") {
        auto code = parseInteger(arguments[1]);
        if (!code || *code < 100 || *code > 599)
            return usageError("analytics respond takes an HTTP status between 100 and 599");
        return changeState(machine, [&](MachineState& state) { state.analyticsStatus = *code; });
    }
    bool json = arguments.size() == 1 && arguments[0] == "--json";
    if (!arguments.empty() && !json)
        return usageError("analytics takes --json or respond CODE");
    const QJsonArray records = machine.analyticsRecords();
    if (json) {
        printOut(QJsonDocument(records).toJson(QJsonDocument::Indented).toStdString());
        return exitDone;
    }
    for (const auto& value : records) {
        QJsonObject record = value.toObject();
        QJsonValue payload = record.value("payload");
        QByteArray payloadText = payload.isObject()  ? QJsonDocument(payload.toObject()).toJson(QJsonDocument::Compact)
                                 : payload.isArray() ? QJsonDocument(payload.toArray()).toJson(QJsonDocument::Compact)
                                                     : QByteArray("null");
        printLine(escapeListingField(record.value("type").toString().toStdString()) + "\t" + payloadText.toStdString());
    }
    return exitDone;
}

int battery(Machine& machine, const Arguments& arguments) {
    if (arguments.size() == 1 && arguments[0] == "none")
        return changeState(machine, [](MachineState& state) { state.battery.reset(); });
    if (arguments.empty())
        return usageError("battery takes PERCENT [--max M] or none");
    auto percent = parseNumber(arguments[0]);
    std::optional<double> maximum = 100.0;
    if (arguments.size() == 3 && arguments[1] == "--max")
        maximum = parseNumber(arguments[2]);
    else if (arguments.size() != 1)
        return usageError("battery takes PERCENT [--max M] or none");
    if (!percent || *percent < 0 || !maximum || *maximum <= 0)
        return usageError("battery takes a PERCENT of 0 or more and a maximum above 0");
    return changeState(machine, [&](MachineState& state) { state.battery = Battery{*percent, *maximum}; });
}

} // namespace

int runControlCommand(Machine& machine, const Arguments& arguments) {
    if (arguments.empty())
        return usageError("no command given");
    const std::string& command = arguments[0];
    Arguments rest(arguments.begin() + 1, arguments.end());
    auto only = [&](size_t count) { return rest.size() == count; };

    if (command == "help" || command == "--help" || command == "-h") {
        printHelp();
        return exitDone;
    }
    if (command == "reset" && only(0)) {
        std::string error;
        return machine.reset(&error) ? exitDone : failure(error);
    }
    if (command == "status")
        return status(machine, rest);
    if (command == "app" && only(0))
        return application(machine);
    if (command == "volume")
        return volumeCommand(machine, rest);
    if (command == "tm") {
        if (rest.size() == 2 && rest[0] == "start")
            return report(machine, machine.startBackup(rest[1]), false);
        if (only(1) && rest[0] == "stop") {
            machine.stopBackup();
            return exitDone;
        }
        return usageError("tm takes start NAME or stop");
    }
    if (command == "sleep" && (only(0) || (only(1) && rest[0] == "--idle")))
        return runSleep(machine, only(1));
    if (command == "wake" && only(0))
        return runWake(machine);
    if (command == "display" && only(1) && (rest[0] == "sleep" || rest[0] == "wake")) {
        bool asleep = rest[0] == "sleep";
        return event(
            machine, [&](MachineState& s) { s.displaysAsleep = asleep; }, "workspace",
            asleep ? "NSWorkspaceScreensDidSleepNotification" : "NSWorkspaceScreensDidWakeNotification");
    }
    if ((command == "lock" || command == "unlock") && only(0)) {
        bool locked = command == "lock";
        return event(
            machine, [&](MachineState& s) { s.screenLocked = locked; }, "distributed",
            locked ? "com.apple.screenIsLocked" : "com.apple.screenIsUnlocked");
    }
    if (command == "screensaver" && only(1) && (rest[0] == "start" || rest[0] == "stop")) {
        bool running = rest[0] == "start";
        return event(
            machine, [&](MachineState& s) { s.screensaverRunning = running; }, "distributed",
            running ? "com.apple.screensaver.didstart" : "com.apple.screensaver.didstop");
    }
    if (command == "switch-user" && only(0))
        return event(
            machine, [](MachineState& s) { s.sessionActive = false; }, "workspace",
            "NSWorkspaceSessionDidResignActiveNotification");
    if (command == "screens") {
        auto count = only(1) ? parseInteger(rest[0]) : std::nullopt;
        if (!count || *count < 0 || *count > 64)
            return usageError("screens takes a count from 0 to 64");
        return event(
            machine, [&](MachineState& s) { s.screens = *count; }, "default",
            "NSApplicationDidChangeScreenParametersNotification");
    }
    if (command == "battery")
        return battery(machine, rest);
    if (command == "lowpower" && only(1) && (rest[0] == "on" || rest[0] == "off"))
        return changeState(machine, [&](MachineState& s) { s.lowPowerMode = rest[0] == "on"; });
    if (command == "assertions" && only(0)) {
        for (const Assertion& a : machine.liveAssertions())
            printLine(std::to_string(a.id) + "\t" + escapeListingField(a.type) + "\t" + escapeListingField(a.name));
        return exitDone;
    }
    if (command == "fda" && only(1)) {
        auto access = fullDiskAccessFromName(rest[0]);
        if (!access)
            return usageError("fda takes granted, denied or missing");
        std::string error;
        return machine.setFullDiskAccess(*access, &error) ? exitDone : failure(error);
    }
    if (command == "notifications")
        return notifications(machine, rest);
    if (command == "urls" && only(0)) {
        for (const std::string& url : machine.state().openedURLs)
            printLine(escapeListingField(url));
        return exitDone;
    }
    if (command == "login-item" && only(0)) {
        printLine(machine.state().loginItemRegistered ? "registered" : "unregistered");
        return exitDone;
    }
    if (command == "updates" && only(0)) {
        MachineState state = machine.state();
        printLine(std::string("automatic=") + (state.automaticUpdateChecks ? "true" : "false") +
                  " checks=" + std::to_string(state.updateChecks));
        return exitDone;
    }
    if (command == "analytics")
        return analytics(machine, rest);
    if (command == "defaults")
        return runDefaults(machine, rest);
    if (command == "diskutil")
        return runDiskutil(machine, rest);
    if (command == "tmutil")
        return runTmutil(machine, rest);
    if (command == "pmset")
        return runPmset(machine, rest);
    if (command == "ui")
        return runUi(machine, rest);
    if (command == "attention" && only(0)) {
        printLine(std::to_string(machine.state().attentionRequests));
        return exitDone;
    }
    return usageError("unknown command or wrong arguments: " + escapeListingField(command));
}

} // namespace macsim
