#pragma once

#include "simulator/ProcessIdentity.h"

#include <QJsonArray>
#include <QJsonObject>

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace macsim {

enum class VolumeKind { usb, ssd, sdInternal, sdUsb, dmg, network, optical };
enum class VolumeState { mounted, unmounted, ejected };
enum class FullDiskAccess { granted, denied, missing };

std::optional<VolumeKind> volumeKindFromName(const std::string& name);
const char* name(VolumeKind kind);
const char* name(VolumeState state);
std::optional<FullDiskAccess> fullDiskAccessFromName(const std::string& name);
const char* name(FullDiskAccess access);

// A slow volume's unmount or eject that was asked for and has not happened yet.
struct PendingOffline {
    bool eject = false;
    bool force = false;
    std::int64_t dueMs = 0; // milliseconds since the epoch: it is carried out by whichever process comes first
};

// One connected disk with its single volume.
struct Volume {
    std::string device; // the volume's BSD identifier, disk4s1
    std::string name;
    VolumeKind kind = VolumeKind::usb;
    VolumeState state = VolumeState::mounted;
    bool busy = false;
    // A drive that stops answering: every tool run about it blocks while this is set.
    bool hung = false;
    // A drive slow to flush: its unmounts and ejects complete this many seconds after they were asked for.
    double slowSeconds = 0;
    std::optional<PendingOffline> pendingOffline;
    std::string uuid;
    // `--info` values as typed on the command line; an empty text removes the key.
    std::map<std::string, std::string> infoOverrides;

    std::string wholeDisk() const; // disk4
    std::string mountPoint() const { return "/Volumes/" + name; }
};

struct Assertion {
    std::uint32_t id = 0;
    ProcessIdentity owner;
    std::string type;
    std::uint32_t level = 0;
    std::string name;
};

struct PostedNotification {
    std::string identifier;
    std::string title;
    std::string body;
    std::optional<unsigned> presentationOptions; // what the application's delegate answered, if it was asked

    QJsonObject toJson() const;
    static PostedNotification fromJson(const QJsonObject& json);
};

struct Battery {
    double currentCapacity = 100;
    double maxCapacity = 100;
};

// Everything the simulated Mac knows, kept as one JSON document.
struct MachineState {
    bool awake = true;
    bool displaysAsleep = false;
    bool screenLocked = false;
    bool screensaverRunning = false;
    bool sessionActive = true;
    int screens = 1;
    std::optional<Battery> battery = Battery{};
    bool lowPowerMode = false;
    FullDiskAccess fullDiskAccess = FullDiskAccess::denied;

    int notificationAuthorization = 0;   // UNAuthorizationStatus raw value
    bool userAllowsNotifications = true; // the notifications posted are in the machine's notification log

    bool loginItemRegistered = false;
    int loginItemRegistrations = 0;
    int loginItemUnregistrations = 0;

    int updaterStarts = 0;
    bool automaticUpdateChecks = false;
    int updateChecks = 0;

    std::vector<std::string> openedURLs;
    std::string activationPolicy = "regular";
    int activationRequests = 0;
    int attentionRequests = 0;

    std::optional<std::string> timeMachineDevice; // a backup runs to this volume
    std::vector<Volume> volumes;
    int nextDiskNumber = 4;

    std::vector<Assertion> assertions;
    std::uint32_t nextAssertionId = 1;

    std::optional<ProcessIdentity> app; // the application attached to this machine

    int analyticsStatus = 200; // the records received are in the machine's analytics file

    QJsonObject toJson() const;
    // Tolerant: a missing or mistyped field keeps its default value.
    static MachineState fromJson(const QJsonObject& json);

    Volume* findVolumeByDevice(const std::string& device);
    Volume* findVolumeByName(const std::string& name);
    Volume* findMountedVolumeByPath(const std::string& mountPath);
};

} // namespace macsim
