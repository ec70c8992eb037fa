#include "ControlCommands.h"

#include "Announcer.h"
#include "CommandOutput.h"
#include "DefaultsCommand.h"
#include "SleepHandshake.h"
#include "StandInTools.h"
#include "UiCommand.h"
#include "platform/DecimalText.h"
#include "platform/ListingText.h"
#include "simulator/AppLink.h"

#include <QFileInfo>
#include <QJsonDocument>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <functional>
#include <map>
#include <thread>

namespace macsim {

using tallowmere::escapeListingField;
namespace {

using Arguments = std::vector<std::string>;

constexpr const char* helpText = R"(usage: macsim COMMAND [ARGUMENTS]

The simulated Mac lives in $TALLOWMERE_SIM_DIR (default ${XDG_STATE_HOME:-~/.local/state}/tallowmere/sim).
Exit status: 0 done, 1 failed, 2 usage error, 3 no application is running on this machine.

Machine
  reset                                   replace the machine with a fresh default one
  status [--json]                         the whole state
  app                                     "running PID" when an application is attached and answering
Volumes
  volume add NAME [--kind usb|ssd|sd-internal|sd-usb|dmg|network|optical] [--busy] [--info KEY=VALUE]...
                                          prints the device identifier; use "--" before a NAME that starts
                                          with "--"; an empty VALUE removes KEY from diskutil info
  volume remove NAME|DEVICE               disconnect the disk
  volume busy NAME|DEVICE on|off          a busy volume refuses an eject or a non-forced unmount
  volume hang NAME|DEVICE on|off          a hung volume stops answering: every tool run about it (diskutil
                                          info/unmount/mount/mountDisk, the workspace eject) blocks until off
  volume slow NAME|DEVICE SECONDS         a drive slow to flush: its next unmounts and ejects complete SECONDS
                                          after they were asked for, even when the tool run that asked was
                                          killed meanwhile; 0 ends it
  volume settle                           carry out those slow unmounts and ejects as they come due (the tool
                                          runs that ask for them start it)
  volume list                             DEVICE<TAB>NAME<TAB>STATE<TAB>KIND per volume
  tm start NAME | tm stop                 a Time Machine backup to that volume runs / stops
Power, session and displays
  sleep [--idle]   wake   display sleep|wake   lock   unlock   screensaver start|stop   switch-user
  screens N        battery PERCENT [--max M] | battery none   lowpower on|off
  assertions                              ID<TAB>TYPE<TAB>NAME per power assertion held now
Permissions, notifications and other services
  fda granted|denied|missing
  notifications [--json] | notifications auth notDetermined|denied|authorized|provisional|ephemeral
                         | notifications answer allow|deny
  urls   login-item   updates   attention   analytics [--json]   analytics respond CODE
  defaults read [KEY] | defaults write KEY -bool|-int|-float|-string VALUE | defaults write KEY -array V...
                      | defaults delete KEY
The user interface, as a user sees it (answered by the running application)
  ui menu | ui click "TITLE"|"SUBMENU/TITLE" | ui windows | ui dump ["WINDOW"]
  ui press "BUTTON" ["WINDOW"] | ui toggle "LABEL" on|off ["WINDOW"] | ui select "ROW" ["WINDOW"]
  ui set "LABEL" VALUE ["WINDOW"] | ui close ["WINDOW"] | ui screenshot FILE.png ["WINDOW" | --menu ["SUBMENU"]]
  ui key Tab|Shift+Tab|Space|Return|Escape|Up|Down ["WINDOW"]
                                          a key to the control in focus; prints the control in focus then
Stand-in tools
  diskutil ...   tmutil ...   pmset ...       also run when macsim is invoked under those names

Plain-text listings print one item per line: inside a field a backslash is written "\\", a line feed "\n",
a carriage return "\r", a tab "\t" and any other control character "\xHH".
)";

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

int report(const Machine& machine, const MachineResult& result, bool printMessage) {
    if (!result.ok)
        return failure(result.message);
    if (printMessage && !result.message.empty())
        printLine(result.message);
    Announcer(machine).workspace(result.announcements);
    return exitDone;
}

int volumeAdd(Machine& machine, const Arguments& arguments) {
    std::optional<std::string> name;
    VolumeKind kind = VolumeKind::usb;
    bool busy = false;
    std::map<std::string, std::string> info;
    bool options = true;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        auto value = [&](const std::string& option) -> std::optional<std::string> {
            if (argument.rfind(option + "=", 0) == 0)
                return argument.substr(option.size() + 1);
            if (argument == option && i + 1 < arguments.size())
                return arguments[++i];
            return std::nullopt;
        };
        if (options && argument == "--") {
            options = false;
        } else if (options && argument == "--busy") {
            busy = true;
        } else if (options && (argument == "--kind" || argument.rfind("--kind=", 0) == 0)) {
            auto text = value("--kind");
            auto parsed = text ? volumeKindFromName(*text) : std::nullopt;
            if (!parsed)
                return usageError("--kind takes usb, ssd, sd-internal, sd-usb, dmg, network or optical");
            kind = *parsed;
        } else if (options && (argument == "--info" || argument.rfind("--info=", 0) == 0)) {
            auto text = value("--info");
            auto equals = text ? text->find('=') : std::string::npos;
            if (!text || equals == std::string::npos || equals == 0)
                return usageError("--info takes KEY=VALUE");
            info[text->substr(0, equals)] = text->substr(equals + 1);
        } else if (options && argument.rfind("--", 0) == 0) {
            return usageError("unknown option " + argument);
        } else if (!name) {
            name = argument;
        } else {
            return usageError("volume add takes one NAME");
        }
    }
    if (!name)
        return usageError("volume add needs a NAME");
    return report(machine, machine.addVolume(*name, kind, busy, info), true);
}

// Runs while a slow unmount or eject is asked for, and carries each out (and announces it) when it is due.
int settle(Machine& machine) {
    auto pending = [&] {
        const std::vector<Volume> volumes = machine.state().volumes;
        return std::any_of(volumes.begin(), volumes.end(),
                           [](const Volume& v) { return v.pendingOffline.has_value(); });
    };
    while (pending()) {
        for (const MachineResult& result : machine.settleDueOffline())
            Announcer(machine).workspace(result.announcements);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return exitDone;
}

int volume(Machine& machine, const Arguments& arguments) {
    if (arguments.empty())
        return usageError("volume needs add, remove, busy, hang, slow or list");
    const std::string& verb = arguments[0];
    Arguments rest(arguments.begin() + 1, arguments.end());
    if (verb == "add")
        return volumeAdd(machine, rest);
    if (verb == "remove") {
        if (rest.size() != 1)
            return usageError("volume remove takes one NAME or DEVICE");
        return report(machine, machine.removeVolume(rest[0]), false);
    }
    if (verb == "busy") {
        if (rest.size() != 2 || (rest[1] != "on" && rest[1] != "off"))
            return usageError("volume busy takes NAME and on|off");
        return report(machine, machine.setBusy(rest[0], rest[1] == "on"), false);
    }
    if (verb == "hang") {
        if (rest.size() != 2 || (rest[1] != "on" && rest[1] != "off"))
            return usageError("volume hang takes NAME or DEVICE and on|off");
        return report(machine, machine.setHung(rest[0], rest[1] == "on"), false);
    }
    if (verb == "slow") {
        auto seconds = rest.size() == 2 ? parseNumber(rest[1]) : std::nullopt;
        if (!seconds || *seconds < 0 || *seconds > 3600)
            return usageError("volume slow takes NAME or DEVICE and SECONDS from 0 to 3600");
        return report(machine, machine.setSlow(rest[0], *seconds), false);
    }
    if (verb == "settle") {
        if (!rest.empty())
            return usageError("volume settle takes no arguments");
        return settle(machine);
    }
    if (verb == "list") {
        if (!rest.empty())
            return usageError("volume list takes no arguments");
        for (const Volume& v : machine.state().volumes)
            printLine(v.device + "\t" + escapeListingField(v.name) + "\t" + name(v.state) + "\t" + name(v.kind));
        return exitDone;
    }
    return usageError("unknown volume command \"" + verb + "\"");
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

void printHelp() {
    printOut(helpText);
}

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
        return volume(machine, rest);
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
