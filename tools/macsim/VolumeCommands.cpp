#include "VolumeCommands.h"

#include "Announcer.h"
#include "CommandOutput.h"
#include "platform/DecimalText.h"
#include "platform/ListingText.h"

#include <algorithm>
#include <chrono>
#include <map>
#include <optional>
#include <thread>

namespace macsim {

using tallowmere::escapeListingField;
namespace {

using Arguments = std::vector<std::string>;

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

} // namespace

int report(const Machine& machine, const MachineResult& result, bool printMessage) {
    if (!result.ok)
        return failure(result.message);
    if (printMessage && !result.message.empty())
        printLine(result.message);
    Announcer(machine).workspace(result.announcements);
    return exitDone;
}

int volumeCommand(Machine& machine, const std::vector<std::string>& arguments) {
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
        auto seconds = rest.size() == 2 ? tallowmere::DecimalText::wholeNumber(rest[1]) : std::nullopt;
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

} // namespace macsim
