#include "StandInTools.h"

#include "Announcer.h"
#include "platform/ListingText.h"
#include "simulator/VolumeInfo.h"

#include "platform/PropertyList.h"

#include <QCoreApplication>
#include <QProcess>
#include <QProcessEnvironment>

#include <cstdio>

namespace macsim {

using tallowmere::escapeListingField;

using tallowmere::PropertyDictionary;
using tallowmere::PropertyValue;

namespace {

void out(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
}

void err(const std::string& line) {
    std::string text = line + "\n";
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fflush(stderr);
}

std::string humanSize(std::int64_t bytes) {
    const char* units[] = {"B", "KB", "MB", "GB", "TB"};
    double value = static_cast<double>(bytes);
    int unit = 0;
    while (value >= 1000 && unit < 4) {
        value /= 1000;
        ++unit;
    }
    char text[32];
    std::snprintf(text, sizeof text, "%.1f %s", value, units[unit]);
    return text;
}

std::string textOf(const PropertyDictionary& info, const char* key) {
    if (const auto* text = tallowmere::findAs<std::string>(info, key))
        return *text;
    if (const auto* flag = tallowmere::findAs<bool>(info, key))
        return *flag ? "Yes" : "No";
    if (const auto* number = tallowmere::findAs<std::int64_t>(info, key))
        return std::to_string(*number);
    return "";
}

void printInfoText(const PropertyDictionary& info) {
    const std::pair<const char*, const char*> rows[] = {{"Device Identifier", "DeviceIdentifier"},
                                                        {"Device Node", "DeviceNode"},
                                                        {"Whole", "WholeDisk"},
                                                        {"Volume Name", "VolumeName"},
                                                        {"Mount Point", "MountPoint"},
                                                        {"File System Personality", "FilesystemType"},
                                                        {"Name (User Visible)", "FileSystemName"},
                                                        {"Device / Media Name", "MediaName"},
                                                        {"Protocol", "BusProtocol"},
                                                        {"Internal", "Internal"},
                                                        {"Removable Media", "RemovableMedia"},
                                                        {"Ejectable", "Ejectable"},
                                                        {"Media Type", "MediaType"},
                                                        {"Volume UUID", "VolumeUUID"},
                                                        {"Solid State", "SolidState"}};
    for (const auto& [label, key] : rows) {
        if (!tallowmere::find(info, key))
            continue;
        std::string head = std::string("   ") + label + ":";
        head.resize(std::max<size_t>(head.size() + 1, 32), ' ');
        out(head + escapeListingField(textOf(info, key)) + "\n");
    }
}

std::string row(const std::string& index, const std::string& type, const std::string& name, const std::string& size,
                const std::string& identifier) {
    // Room for the longest name even when every byte of it is escaped.
    char text[1536];
    std::snprintf(text, sizeof text, "%4s: %26s %-23s %-10s %s\n", index.c_str(), type.c_str(), name.c_str(),
                  size.c_str(), identifier.c_str());
    return text;
}

void printListText(const Machine& machine) {
    out("/dev/disk3 (synthesized):\n");
    out(row("#", "TYPE", "NAME", "SIZE", "IDENTIFIER"));
    out(row("0", "APFS Container Scheme", "-", "+494.4 GB", "disk3"));
    out("                                 Physical Store disk0s2\n");
    out(row("1", "APFS Volume", "Macintosh HD", "11.2 GB", "disk3s1"));
    out(row("5", "APFS Volume", "Macintosh HD - Data", "401.8 GB", "disk3s5"));
    for (const Volume& volume : machine.state().volumes) {
        if (volume.state == VolumeState::ejected)
            continue;
        PropertyDictionary info = volumeInfo(volume);
        std::string size = humanSize(
            tallowmere::findAs<std::int64_t>(info, "Size") ? *tallowmere::findAs<std::int64_t>(info, "Size") : 0);
        const char* location = volume.kind == VolumeKind::dmg ? "(disk image)" : "(external, physical)";
        out("\n/dev/" + volume.wholeDisk() + " " + location + ":\n");
        out(row("#", "TYPE", "NAME", "SIZE", "IDENTIFIER"));
        out(row("0", "GUID_partition_scheme", "", "*" + size, volume.wholeDisk()));
        out(row("1", textOf(info, "Content"), escapeListingField(volume.name), size, volume.device));
    }
}

int diskutilUsage() {
    err("Usage:  diskutil info [-plist] MountPoint|DiskIdentifier|DeviceNode|VolumeName\n"
        "        diskutil list [-plist]\n"
        "        diskutil unmount [force] MountPoint|DiskIdentifier|VolumeName\n"
        "        diskutil mount MountPoint|DiskIdentifier|VolumeName\n"
        "        diskutil mountDisk DiskIdentifier");
    return 1;
}

int report(const Machine& machine, const MachineResult& result) {
    if (!result.ok) {
        err(result.message);
        return 1;
    }
    if (!result.message.empty())
        out(result.message + "\n");
    Announcer(machine).workspace(result.announcements);
    return 0;
}

} // namespace

int runDiskutil(Machine& machine, const std::vector<std::string>& arguments) {
    if (arguments.empty())
        return diskutilUsage();
    const std::string& verb = arguments[0];
    std::vector<std::string> rest(arguments.begin() + 1, arguments.end());
    // A drive that stopped answering holds every run about it (its target is the last argument).
    if (verb == "info" || verb == "unmount" || verb == "umount" || verb == "mount" || verb == "mountDisk")
        if (!rest.empty())
            machine.waitWhileHung(rest.back());
    if (verb == "info") {
        bool plist = !rest.empty() && rest[0] == "-plist";
        if (plist)
            rest.erase(rest.begin());
        if (rest.size() != 1)
            return diskutilUsage();
        auto info = machine.diskInfo(rest[0]);
        if (!info) {
            err("Could not find disk: " + rest[0]);
            return 1;
        }
        if (plist)
            out(tallowmere::PropertyList::toXml(PropertyValue(*info)));
        else
            printInfoText(*info);
        return 0;
    }
    if (verb == "list") {
        if (rest.size() > 1 || (rest.size() == 1 && rest[0] != "-plist"))
            return diskutilUsage();
        if (rest.empty())
            printListText(machine);
        else
            out(tallowmere::PropertyList::toXml(PropertyValue(machine.diskList())));
        return 0;
    }
    if (verb == "unmount" || verb == "umount") {
        // "force" is an option only when a target follows it, so a volume named "force" can be unmounted.
        bool force = rest.size() == 2 && rest[0] == "force";
        if (force)
            rest.erase(rest.begin());
        if (rest.size() != 1)
            return diskutilUsage();
        return report(machine, machine.unmount(rest[0], force));
    }
    if (verb == "mount") {
        if (rest.size() != 1)
            return diskutilUsage();
        return report(machine, machine.mount(rest[0]));
    }
    if (verb == "mountDisk") {
        if (rest.size() != 1)
            return diskutilUsage();
        return report(machine, machine.mountDisk(rest[0]));
    }
    err("diskutil: did not recognize verb \"" + verb + "\"; type \"diskutil\" for a list");
    return 1;
}

int runTmutil(Machine& machine, const std::vector<std::string>& arguments) {
    if (arguments.size() == 1 && arguments[0] == "status") {
        MachineState state = machine.state();
        const Volume* target = nullptr;
        if (state.timeMachineDevice)
            target = state.findVolumeByDevice(*state.timeMachineDevice);
        out("Backup session status:\n{\n");
        if (target) {
            // macOS's own text form; the path is printed as it is, inside quotes.
            out("    BackupPhase = Copying;\n"
                "    ClientID = \"com.apple.backupd\";\n"
                "    DateOfStateChange = \"2024-05-04 10:12:31 +0000\";\n"
                "    DestinationID = \"" +
                target->uuid +
                "\";\n"
                "    DestinationMountPoint = \"" +
                target->mountPoint() +
                "\";\n"
                "    Percent = \"0.4213\";\n"
                "    Progress =     {\n"
                "        TimeRemaining = 1260;\n"
                "        \"_raw_totalBytes\" = 42949672960;\n"
                "    };\n"
                "    Running = 1;\n"
                "    Stopping = 0;\n");
        } else {
            out("    ClientID = \"com.apple.backupd\";\n"
                "    Percent = \"-1\";\n"
                "    Running = 0;\n");
        }
        out("}\n");
        return 0;
    }
    if (arguments.size() == 1 && arguments[0] == "stopbackup") {
        machine.stopBackup();
        return 0;
    }
    err("Usage: tmutil status | tmutil stopbackup");
    return 1;
}

int runPmset(Machine& machine, const std::vector<std::string>& arguments) {
    if (arguments.size() == 1 && arguments[0] == "sleepnow") {
        // The sleep runs on in a process of its own, so the caller gets control back at once.
        QProcess sleeper;
        sleeper.setProgram(QCoreApplication::applicationFilePath());
        sleeper.setArguments({"sleep"});
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("TALLOWMERE_SIM_DIR", QString::fromStdString(machine.folder()));
        sleeper.setProcessEnvironment(environment);
        sleeper.setStandardInputFile(QProcess::nullDevice());
        sleeper.setStandardOutputFile(QProcess::nullDevice());
        sleeper.setStandardErrorFile(QProcess::nullDevice());
        if (!sleeper.startDetached()) {
            err("pmset: could not start the sleep: " + sleeper.errorString().toStdString());
            return 1;
        }
        out("Sleeping now...\n");
        return 0;
    }
    if (arguments.size() == 2 && arguments[0] == "-g" && arguments[1] == "batt") {
        MachineState state = machine.state();
        out("Now drawing from 'AC Power'\n");
        if (state.battery) {
            double percent =
                state.battery->maxCapacity > 0 ? state.battery->currentCapacity / state.battery->maxCapacity * 100 : 0;
            char line[128];
            std::snprintf(line, sizeof line,
                          " -InternalBattery-0 (id=4653155)\t%.0f%%; %s; 0:00 remaining present: true\n", percent,
                          percent >= 100 ? "charged" : "charging");
            out(line);
        }
        return 0;
    }
    err("Usage: pmset sleepnow | pmset -g batt");
    return 1;
}

} // namespace macsim
