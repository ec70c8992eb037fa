#pragma once

#include "disks/DiskTypes.h"

#include <QLocale>

#include <string>
#include <vector>

namespace tallowmere {

// How the menu and the Auto Eject page list volumes.

// By name as a person looks for them: ignoring case, in the order of the user's language, numbers by value
// ("Disk 2" before "Disk 10"). Equal names follow their paths, then their ids, so every refresh lists alike.
std::vector<VolumeSelection> sortedByName(std::vector<VolumeSelection> volumes, const QLocale& locale = QLocale());

// A name on one line: every control character shows as a space (a tab would open a menu's shortcut column).
std::string oneLineName(const std::string& name);

// At most `maximum` characters as a person counts them, cut in the middle where it is longer
// ("Photographs of t…mmer 2026"): a name's end often tells two volumes apart.
std::string middleElided(const std::string& text, int maximum);

} // namespace tallowmere
