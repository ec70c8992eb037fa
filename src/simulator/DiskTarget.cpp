#include "simulator/DiskTarget.h"

#include "simulator/QtText.h"
#include "simulator/VolumeInfo.h"

#include <QDir>
#include <QRegularExpression>

namespace macsim {

Target resolveTarget(MachineState& state, const std::string& text) {
    auto usable = [](Volume* volume) { return volume && volume->state != VolumeState::ejected ? volume : nullptr; };
    if (!text.empty() && text.front() == '/' && text.rfind("/dev/", 0) != 0) {
        std::string path = QDir::cleanPath(q(text)).toStdString();
        if (path == "/")
            return {TargetKind::startup, nullptr};
        if (path == "/System/Volumes/Data")
            return {TargetKind::data, nullptr};
        if (Volume* volume = state.findMountedVolumeByPath(path))
            return {TargetKind::volume, volume};
        return {};
    }
    std::string device = text.rfind("/dev/", 0) == 0 ? text.substr(5) : text;
    static const QRegularExpression devicePattern("^disk[0-9]+(s[0-9]+)*$");
    if (devicePattern.match(q(device)).hasMatch()) {
        if (device == startupDevice || device == "disk3s1")
            return {TargetKind::startup, nullptr};
        if (device == dataDevice)
            return {TargetKind::data, nullptr};
        if (device == startupWholeDisk)
            return {TargetKind::container, nullptr};
        if (Volume* volume = usable(state.findVolumeByDevice(device)))
            return {TargetKind::volume, volume};
        for (Volume& volume : state.volumes)
            if (volume.state != VolumeState::ejected && volume.wholeDisk() == device)
                return {TargetKind::wholeDisk, &volume};
    }
    if (Volume* volume = usable(state.findVolumeByName(text)))
        return {TargetKind::volume, volume};
    if (text == "Macintosh HD")
        return {TargetKind::startup, nullptr};
    if (text == "Macintosh HD - Data")
        return {TargetKind::data, nullptr};
    return {};
}

Volume* findByNameOrDevice(MachineState& state, const std::string& text) {
    std::string device = text.rfind("/dev/", 0) == 0 ? text.substr(5) : text;
    if (Volume* volume = state.findVolumeByDevice(device))
        return volume;
    return state.findVolumeByName(text);
}

} // namespace macsim
