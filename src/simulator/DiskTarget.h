#pragma once

#include "simulator/MachineState.h"

#include <string>

namespace macsim {

// What a `diskutil` target names on the machine.
enum class TargetKind { none, startup, data, container, volume, wholeDisk };
struct Target {
    TargetKind kind = TargetKind::none;
    Volume* volume = nullptr;
};

// Resolves a `diskutil` target: a mount path, a device identifier (with or without "/dev/") or a volume name.
// Ejected disks are gone from the system and resolve to nothing; a mount path names only a volume that is
// mounted there.
Target resolveTarget(MachineState& state, const std::string& text);

// The volume with this device identifier or name, whatever its state (for macsim's own commands).
Volume* findByNameOrDevice(MachineState& state, const std::string& text);

} // namespace macsim
