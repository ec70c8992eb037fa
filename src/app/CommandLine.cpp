#include "app/CommandLine.h"

#include "platform/Translation.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <utility>

namespace tallowmere {
namespace {

struct CommandName {
    const char* name;
    ControlCommand::Kind kind;
};
constexpr std::array<CommandName, 7> commandNames = {{{"status", ControlCommand::Kind::status},
                                                      {"eject", ControlCommand::Kind::eject},
                                                      {"eject-and-sleep", ControlCommand::Kind::ejectAndSleep},
                                                      {"remount", ControlCommand::Kind::remount},
                                                      {"guard", ControlCommand::Kind::guard},
                                                      {"settings", ControlCommand::Kind::settings},
                                                      {"quit", ControlCommand::Kind::quit}}};

std::string lowered(std::string_view text) {
    std::string result(text);
    std::transform(result.begin(), result.end(), result.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return result;
}

bool isCommandName(std::string_view word) {
    return std::any_of(commandNames.begin(), commandNames.end(),
                       [&](const CommandName& command) { return word == command.name; });
}

// Seconds per unit word, or nothing for a word that is not a unit.
std::optional<double> unitSeconds(std::string_view unit) {
    static constexpr std::array<std::string_view, 5> hours = {"h", "hr", "hrs", "hour", "hours"};
    static constexpr std::array<std::string_view, 5> minutes = {"m", "min", "mins", "minute", "minutes"};
    if (std::find(hours.begin(), hours.end(), unit) != hours.end())
        return 3600.0;
    if (std::find(minutes.begin(), minutes.end(), unit) != minutes.end())
        return 60.0;
    return std::nullopt;
}

ParsedCommand failure(std::string error) {
    return {std::nullopt, std::move(error)};
}

ParsedCommand parseGuard(const std::vector<std::string>& words) {
    if (words.size() != 2)
        return failure(translated("CommandLine", "guard: expected on, off or a duration such as 90m, 2h or 1h30m."));
    const std::string argument = lowered(words[1]);
    ControlCommand command;
    command.kind = ControlCommand::Kind::guard;
    if (argument == "on") {
        command.guard = {GuardSwitch::Kind::on};
        return {command, {}};
    }
    if (argument == "off") {
        command.guard = {GuardSwitch::Kind::off};
        return {command, {}};
    }
    if (argument == "indefinitely") {
        command.guard = {GuardSwitch::Kind::menuDuration, ActivationDuration::indefinitely};
        return {command, {}};
    }
    const std::optional<double> duration = parseDurationText(argument);
    if (!duration)
        return failure(
            filledIn(translated("CommandLine", "guard: \"%1\" is not a duration such as 90m, 2h or 1h30m."), words[1]));
    command.guard = {GuardSwitch::Kind::seconds, ActivationDuration::off, *duration};
    for (ActivationDuration menuDuration : allActivationDurations)
        if (seconds(menuDuration) == *duration)
            command.guard = {GuardSwitch::Kind::menuDuration, menuDuration};
    return {command, {}};
}

} // namespace

std::optional<double> parseDurationText(std::string_view text) {
    double total = 0;
    bool any = false;
    std::size_t at = 0;
    auto skipSpaces = [&] {
        while (at < text.size() && text[at] == ' ')
            ++at;
    };
    skipSpaces();
    while (at < text.size()) {
        unsigned count = 0;
        auto [end, error] = std::from_chars(text.data() + at, text.data() + text.size(), count);
        if (error != std::errc() || end == text.data() + at)
            return std::nullopt;
        at = static_cast<std::size_t>(end - text.data());
        skipSpaces();
        const std::size_t unitStart = at;
        while (at < text.size() && std::isalpha(static_cast<unsigned char>(text[at])))
            ++at;
        const std::optional<double> unit = unitSeconds(lowered(text.substr(unitStart, at - unitStart)));
        if (!unit)
            return std::nullopt;
        total += count * *unit;
        any = true;
        skipSpaces();
    }
    if (!any || total <= 0 || total > maximumDurationSeconds)
        return std::nullopt;
    return total;
}

std::optional<SettingsSection> settingsSectionFromName(std::string_view name) {
    const std::string wanted = lowered(name);
    if (wanted == "guard")
        return SettingsSection::quenbyGuard;
    for (SettingsSection section : allSettingsSections)
        if (wanted == commandLineName(section))
            return section;
    return std::nullopt;
}

const char* commandLineName(SettingsSection section) {
    switch (section) {
    case SettingsSection::general:
        return "general";
    case SettingsSection::quenbyGuard:
        return "quenby-guard";
    case SettingsSection::autoEject:
        return "auto-eject";
    case SettingsSection::battery:
        return "battery";
    case SettingsSection::updates:
        return "updates";
    case SettingsSection::about:
        return "about";
    }
    return "";
}

ParsedCommand parseControlCommand(const std::vector<std::string>& words) {
    if (words.empty())
        return failure(translated("CommandLine", "No command given."));
    const auto named = std::find_if(commandNames.begin(), commandNames.end(),
                                    [&](const CommandName& command) { return words[0] == command.name; });
    if (named == commandNames.end())
        return failure(filledIn(translated("CommandLine", "Unknown command: %1"), words[0]));
    ControlCommand command;
    command.kind = named->kind;
    switch (named->kind) {
    case ControlCommand::Kind::guard:
        return parseGuard(words);
    case ControlCommand::Kind::status:
        if (words.size() == 2 && words[1] == "--json") {
            command.json = true;
            return {command, {}};
        }
        break;
    case ControlCommand::Kind::settings:
        if (words.size() == 2) {
            command.section = settingsSectionFromName(words[1]);
            if (!command.section)
                return failure(filledIn(translated("CommandLine",
                                                   "settings: unknown section \"%1\"; expected general, quenby-guard, "
                                                   "auto-eject, battery, updates or about."),
                                        words[1]));
            return {command, {}};
        }
        break;
    default:
        break;
    }
    if (words.size() > 1)
        return failure(filledIn(translated("CommandLine", "%1: unexpected argument \"%2\"."), words[0], words[1]));
    return {command, {}};
}

CommandLine parseCommandLine(const std::vector<std::string>& arguments) {
    CommandLine line;
    auto badUsage = [&line](std::string error) {
        line.action = CommandLine::Action::badUsage;
        line.error = std::move(error);
        return line;
    };
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (!line.words.empty() || isCommandName(argument)) {
            line.words.push_back(argument); // the command, then its own arguments
        } else if (argument == "--help" || argument == "-h") {
            line.action = CommandLine::Action::help;
        } else if (argument == "--version") {
            if (line.action != CommandLine::Action::help)
                line.action = CommandLine::Action::version;
        } else if (argument == "--platform") {
            if (i + 1 == arguments.size())
                return badUsage(translated("CommandLine", "--platform: expected a platform's name."));
            line.platform = arguments[++i];
        } else if (argument.starts_with("--platform=")) {
            line.platform = argument.substr(std::string_view("--platform=").size());
        } else if (argument.starts_with("--")) {
            return badUsage(filledIn(translated("CommandLine", "Unknown option: %1"), argument));
        } else if (argument.starts_with("-")) {
            // Qt's own options (-style fusion, -reverse) are left for Qt, their value with them.
            line.others.push_back(argument);
            if (i + 1 < arguments.size() && !arguments[i + 1].starts_with("-") && !isCommandName(arguments[i + 1]))
                line.others.push_back(arguments[++i]);
        } else {
            return badUsage(filledIn(translated("CommandLine", "Unknown command: %1"), argument));
        }
    }
    if (line.action != CommandLine::Action::start || line.words.empty())
        return line;
    ParsedCommand parsed = parseControlCommand(line.words);
    if (!parsed.command)
        return badUsage(parsed.error);
    line.action = CommandLine::Action::command;
    line.command = *parsed.command;
    return line;
}

std::string usageText(const std::string& platforms) {
    return filledIn(
        translated("CommandLine",
                   "Usage: tallowmere [--platform %1]\n"
                   "       tallowmere [--platform NAME] COMMAND\n"
                   "\n"
                   "Without a command, Tallowmere starts. A command is carried out by the running Tallowmere:\n"
                   "  status [--json]      Show Quenby Guard, the protection, its triggers and the volumes.\n"
                   "  eject                Take the external disks offline now.\n"
                   "  eject-and-sleep      Take the external disks offline, then put the computer to sleep.\n"
                   "  remount              Bring back the disks Tallowmere took offline.\n"
                   "  guard on|off|DURATION\n"
                   "                       Turn Quenby Guard on for its default duration, off, or on for a\n"
                   "                       duration such as 90m, 2h or 1h30m.\n"
                   "  settings [SECTION]   Open the settings window, or one of its sections: general,\n"
                   "                       quenby-guard, auto-eject, battery, updates, about.\n"
                   "  quit                 Quit Tallowmere.\n"
                   "\n"
                   "Options:\n"
                   "  --platform NAME      The platform to run on: %1 (the first is the default). A command\n"
                   "                       without it goes to the copy that runs.\n"
                   "  --help               Show this text.\n"
                   "  --version            Show the version.\n"
                   "\n"
                   "Exit status: 0 when the command succeeded, 1 when it failed, 2 for bad usage, 3 when\n"
                   "Tallowmere is not running.\n"),
        platforms);
}

} // namespace tallowmere
