#pragma once

#include "base/SettingsSection.h"
#include "guard/ActivationDuration.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tallowmere {

// How Quenby Guard is to be switched from the command line: on for its default duration, off, for one of the
// menu's durations (which becomes the default, as in the menu), or for any other time.
struct GuardSwitch {
    enum class Kind { on, off, menuDuration, seconds };
    Kind kind = Kind::on;
    ActivationDuration menuDuration = ActivationDuration::off;
    double seconds = 0;
    bool operator==(const GuardSwitch&) const = default;
};

// A command a running copy carries out for `tallowmere COMMAND …`.
struct ControlCommand {
    enum class Kind { status, eject, ejectAndSleep, remount, guard, settings, quit };
    Kind kind = Kind::status;
    bool json = false;                      // status --json
    GuardSwitch guard;                      // guard
    std::optional<SettingsSection> section; // settings: nothing for the window as it was left
    bool operator==(const ControlCommand&) const = default;
};

// The command's words ("guard", "90m") as given after the program's options; the reason when they are not one.
struct ParsedCommand {
    std::optional<ControlCommand> command;
    std::string error;
};
ParsedCommand parseControlCommand(const std::vector<std::string>& words);

// "90m", "2h", "1h30m", "1 hr", "5 min", "1 hour 30 minutes": whole hours and minutes, more than none and at most a
// day's worth of years (`maximumDurationSeconds`). Nothing for anything else.
std::optional<double> parseDurationText(std::string_view text);

// A settings section by its name on the command line (case-insensitively): general, quenby-guard (or guard),
// auto-eject, battery, updates, about.
std::optional<SettingsSection> settingsSectionFromName(std::string_view name);
const char* commandLineName(SettingsSection section);

// What the program is asked to do by its arguments (without the program's name).
struct CommandLine {
    enum class Action { start, help, version, command, badUsage };
    Action action = Action::start;
    std::string platform;            // --platform NAME; empty for the default
    ControlCommand command;          // for Action::command
    std::vector<std::string> words;  // the command's words, as sent to the running copy
    std::vector<std::string> others; // options for Qt when starting ("-style fusion" is not taken for a command)
    std::string error;               // for Action::badUsage
};
CommandLine parseCommandLine(const std::vector<std::string>& arguments);

// The text of `tallowmere --help`; `platforms` as "sim|linux", the default first.
std::string usageText(const std::string& platforms);

} // namespace tallowmere
