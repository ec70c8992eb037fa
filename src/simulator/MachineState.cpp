#include "simulator/MachineState.h"

#include "simulator/QtText.h"

#include "platform/ClampedInteger.h"

#include <QJsonValue>

#include <algorithm>
#include <array>
#include <cmath>

namespace macsim {
namespace {

constexpr std::array<std::pair<VolumeKind, const char*>, 7> kindNames = {{{VolumeKind::usb, "usb"},
                                                                          {VolumeKind::ssd, "ssd"},
                                                                          {VolumeKind::sdInternal, "sd-internal"},
                                                                          {VolumeKind::sdUsb, "sd-usb"},
                                                                          {VolumeKind::dmg, "dmg"},
                                                                          {VolumeKind::network, "network"},
                                                                          {VolumeKind::optical, "optical"}}};
constexpr std::array<std::pair<VolumeState, const char*>, 3> stateNames = {
    {{VolumeState::mounted, "mounted"}, {VolumeState::unmounted, "unmounted"}, {VolumeState::ejected, "ejected"}}};
constexpr std::array<std::pair<FullDiskAccess, const char*>, 3> accessNames = {
    {{FullDiskAccess::granted, "granted"}, {FullDiskAccess::denied, "denied"}, {FullDiskAccess::missing, "missing"}}};

template <class Enum, size_t N>
std::optional<Enum> lookup(const std::array<std::pair<Enum, const char*>, N>& names, const std::string& text) {
    for (const auto& [value, label] : names)
        if (text == label)
            return value;
    return std::nullopt;
}

template <class Enum, size_t N>
const char* labelOf(const std::array<std::pair<Enum, const char*>, N>& names, Enum value) {
    for (const auto& [candidate, label] : names)
        if (candidate == value)
            return label;
    return "";
}

std::string s(const QJsonValue& value) {
    return value.toString().toStdString();
}

bool readBool(const QJsonObject& json, const char* key, bool fallback) {
    QJsonValue value = json.value(key);
    return value.isBool() ? value.toBool() : fallback;
}
int readInt(const QJsonObject& json, const char* key, int fallback) {
    QJsonValue value = json.value(key);
    return value.isDouble() ? value.toInt(fallback) : fallback;
}
double readDouble(const QJsonObject& json, const char* key, double fallback) {
    QJsonValue value = json.value(key);
    return value.isDouble() && std::isfinite(value.toDouble()) ? value.toDouble() : fallback;
}
std::int64_t readInt64(const QJsonObject& json, const char* key) {
    QJsonValue value = json.value(key);
    return value.isDouble() ? tallowmere::clampedInteger<std::int64_t>(value.toDouble()) : 0;
}

QJsonObject identityToJson(const ProcessIdentity& identity) {
    return {{"pid", static_cast<double>(identity.pid)}, {"startTicks", q(std::to_string(identity.startTicks))}};
}
ProcessIdentity identityFromJson(const QJsonObject& json) {
    return {readInt64(json, "pid"),
            std::strtoull(json.value("startTicks").toString().toLatin1().constData(), nullptr, 10)};
}

} // namespace

std::optional<VolumeKind> volumeKindFromName(const std::string& text) {
    return lookup(kindNames, text);
}
const char* name(VolumeKind kind) {
    return labelOf(kindNames, kind);
}
const char* name(VolumeState state) {
    return labelOf(stateNames, state);
}
std::optional<FullDiskAccess> fullDiskAccessFromName(const std::string& text) {
    return lookup(accessNames, text);
}
const char* name(FullDiskAccess access) {
    return labelOf(accessNames, access);
}

QJsonObject PostedNotification::toJson() const {
    QJsonObject json{{"identifier", q(identifier)}, {"title", q(title)}, {"body", q(body)}};
    if (presentationOptions)
        json["presentationOptions"] = static_cast<double>(*presentationOptions);
    return json;
}

PostedNotification PostedNotification::fromJson(const QJsonObject& json) {
    PostedNotification notification{s(json.value("identifier")), s(json.value("title")), s(json.value("body")), {}};
    if (json.value("presentationOptions").isDouble())
        notification.presentationOptions = static_cast<std::uint32_t>(readInt64(json, "presentationOptions"));
    return notification;
}

std::string Volume::wholeDisk() const {
    auto slice = device.find('s', 4);
    return slice == std::string::npos ? device : device.substr(0, slice);
}

QJsonObject MachineState::toJson() const {
    QJsonObject json;
    json["version"] = 1;
    json["awake"] = awake;
    json["displaysAsleep"] = displaysAsleep;
    json["screenLocked"] = screenLocked;
    json["screensaverRunning"] = screensaverRunning;
    json["sessionActive"] = sessionActive;
    json["screens"] = screens;
    json["battery"] = battery ? QJsonValue(QJsonObject{{"currentCapacity", battery->currentCapacity},
                                                       {"maxCapacity", battery->maxCapacity}})
                              : QJsonValue();
    json["lowPowerMode"] = lowPowerMode;
    json["fullDiskAccess"] = name(fullDiskAccess);

    json["notifications"] =
        QJsonObject{{"authorization", notificationAuthorization}, {"userAllows", userAllowsNotifications}};
    json["loginItem"] = QJsonObject{{"registered", loginItemRegistered},
                                    {"registrations", loginItemRegistrations},
                                    {"unregistrations", loginItemUnregistrations}};
    json["updates"] =
        QJsonObject{{"starts", updaterStarts}, {"automatic", automaticUpdateChecks}, {"checks", updateChecks}};
    QJsonArray urls;
    for (const std::string& url : openedURLs)
        urls.append(q(url));
    json["openedURLs"] = urls;
    json["application"] = QJsonObject{{"activationPolicy", q(activationPolicy)},
                                      {"activationRequests", activationRequests},
                                      {"attentionRequests", attentionRequests}};
    json["timeMachine"] = timeMachineDevice ? QJsonValue(q(*timeMachineDevice)) : QJsonValue();

    QJsonArray disks;
    for (const Volume& volume : volumes) {
        QJsonObject overrides;
        for (const auto& [key, value] : volume.infoOverrides)
            overrides[q(key)] = q(value);
        QJsonObject disk{{"device", q(volume.device)},  {"name", q(volume.name)}, {"kind", name(volume.kind)},
                         {"state", name(volume.state)}, {"busy", volume.busy},    {"hung", volume.hung},
                         {"slow", volume.slowSeconds},  {"uuid", q(volume.uuid)}, {"info", overrides}};
        if (const auto& pending = volume.pendingOffline)
            disk["pendingOffline"] = QJsonObject{
                {"eject", pending->eject}, {"force", pending->force}, {"due", static_cast<double>(pending->dueMs)}};
        disks.append(disk);
    }
    json["volumes"] = disks;
    json["nextDiskNumber"] = nextDiskNumber;

    QJsonArray held;
    for (const Assertion& assertion : assertions)
        held.append(QJsonObject{{"id", static_cast<double>(assertion.id)},
                                {"owner", identityToJson(assertion.owner)},
                                {"type", q(assertion.type)},
                                {"level", static_cast<double>(assertion.level)},
                                {"name", q(assertion.name)}});
    json["assertions"] = held;
    json["nextAssertionId"] = static_cast<double>(nextAssertionId);
    json["app"] = app ? QJsonValue(identityToJson(*app)) : QJsonValue();
    json["analytics"] = QJsonObject{{"status", analyticsStatus}};
    return json;
}

MachineState MachineState::fromJson(const QJsonObject& json) {
    MachineState state;
    state.awake = readBool(json, "awake", state.awake);
    state.displaysAsleep = readBool(json, "displaysAsleep", state.displaysAsleep);
    state.screenLocked = readBool(json, "screenLocked", state.screenLocked);
    state.screensaverRunning = readBool(json, "screensaverRunning", state.screensaverRunning);
    state.sessionActive = readBool(json, "sessionActive", state.sessionActive);
    state.screens = std::max(0, readInt(json, "screens", state.screens));
    if (json.contains("battery")) {
        if (json.value("battery").isObject()) {
            QJsonObject battery = json.value("battery").toObject();
            state.battery =
                Battery{readDouble(battery, "currentCapacity", 100), readDouble(battery, "maxCapacity", 100)};
        } else {
            state.battery.reset();
        }
    }
    state.lowPowerMode = readBool(json, "lowPowerMode", state.lowPowerMode);
    state.fullDiskAccess = fullDiskAccessFromName(s(json.value("fullDiskAccess"))).value_or(state.fullDiskAccess);

    QJsonObject notifications = json.value("notifications").toObject();
    state.notificationAuthorization = std::clamp(readInt(notifications, "authorization", 0), 0, 4);
    state.userAllowsNotifications = readBool(notifications, "userAllows", true);

    QJsonObject login = json.value("loginItem").toObject();
    state.loginItemRegistered = readBool(login, "registered", false);
    state.loginItemRegistrations = readInt(login, "registrations", 0);
    state.loginItemUnregistrations = readInt(login, "unregistrations", 0);
    QJsonObject updates = json.value("updates").toObject();
    state.updaterStarts = readInt(updates, "starts", 0);
    state.automaticUpdateChecks = readBool(updates, "automatic", false);
    state.updateChecks = readInt(updates, "checks", 0);
    for (const auto& url : json.value("openedURLs").toArray())
        state.openedURLs.push_back(s(url));
    QJsonObject application = json.value("application").toObject();
    if (application.value("activationPolicy").isString())
        state.activationPolicy = s(application.value("activationPolicy"));
    state.activationRequests = readInt(application, "activationRequests", 0);
    state.attentionRequests = readInt(application, "attentionRequests", 0);
    if (json.value("timeMachine").isString())
        state.timeMachineDevice = s(json.value("timeMachine"));

    for (const auto& value : json.value("volumes").toArray()) {
        QJsonObject entry = value.toObject();
        Volume volume;
        volume.device = s(entry.value("device"));
        volume.name = s(entry.value("name"));
        if (volume.device.empty() || volume.name.empty())
            continue;
        volume.kind = volumeKindFromName(s(entry.value("kind"))).value_or(VolumeKind::usb);
        volume.state = lookup(stateNames, s(entry.value("state"))).value_or(VolumeState::mounted);
        volume.busy = readBool(entry, "busy", false);
        volume.hung = readBool(entry, "hung", false);
        volume.slowSeconds = std::max(0.0, readDouble(entry, "slow", 0));
        if (entry.value("pendingOffline").isObject()) {
            QJsonObject pending = entry.value("pendingOffline").toObject();
            volume.pendingOffline = PendingOffline{readBool(pending, "eject", false), readBool(pending, "force", false),
                                                   readInt64(pending, "due")};
        }
        volume.uuid = s(entry.value("uuid"));
        QJsonObject overrides = entry.value("info").toObject();
        for (auto it = overrides.begin(); it != overrides.end(); ++it)
            volume.infoOverrides[it.key().toStdString()] = it.value().toString().toStdString();
        state.volumes.push_back(std::move(volume));
    }
    state.nextDiskNumber = std::max(4, readInt(json, "nextDiskNumber", 4));

    for (const auto& value : json.value("assertions").toArray()) {
        QJsonObject entry = value.toObject();
        state.assertions.push_back({static_cast<std::uint32_t>(readInt64(entry, "id")),
                                    identityFromJson(entry.value("owner").toObject()), s(entry.value("type")),
                                    static_cast<std::uint32_t>(readInt64(entry, "level")), s(entry.value("name"))});
    }
    state.nextAssertionId = std::max<std::uint32_t>(1, static_cast<std::uint32_t>(readInt64(json, "nextAssertionId")));
    if (json.value("app").isObject())
        state.app = identityFromJson(json.value("app").toObject());
    QJsonObject analytics = json.value("analytics").toObject();
    state.analyticsStatus = readInt(analytics, "status", 200);
    return state;
}

Volume* MachineState::findVolumeByDevice(const std::string& device) {
    auto it = std::find_if(volumes.begin(), volumes.end(), [&](const Volume& v) { return v.device == device; });
    return it == volumes.end() ? nullptr : &*it;
}

Volume* MachineState::findVolumeByName(const std::string& volumeName) {
    auto it = std::find_if(volumes.begin(), volumes.end(), [&](const Volume& v) { return v.name == volumeName; });
    return it == volumes.end() ? nullptr : &*it;
}

Volume* MachineState::findMountedVolumeByPath(const std::string& mountPath) {
    auto it = std::find_if(volumes.begin(), volumes.end(), [&](const Volume& v) {
        return v.state == VolumeState::mounted && v.mountPoint() == mountPath;
    });
    return it == volumes.end() ? nullptr : &*it;
}

} // namespace macsim
