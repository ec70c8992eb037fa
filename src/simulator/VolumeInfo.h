#pragma once

#include "simulator/MachineState.h"

#include "platform/PropertyValue.h"

#include <string>

namespace macsim {

// What `diskutil info -plist` reports, kind by kind. The values are chosen so that the application's
// classifier sees what a real Mac shows for such a device:
//   usb, ssd      "Internal" false, "Ejectable" true                      -> hard disks and SSDs
//   sd-internal   "Internal" true, "RemovableMedia" true, "Secure Digital" -> SD cards
//   sd-usb        an external card reader: "Internal" false               -> hard disks and SSDs (the external
//                 flag wins; `--info Internal=` removes it and the card then counts as an SD card)
//   dmg           "MediaName" "Apple Disk Image", "ParentWholeDisk" dict  -> disk images
//   network       "FileSystemName" "smbfs"                                -> network drives
//   optical       "MediaType" "DVD-ROM"                                   -> DVDs and CDs
// Disk images, network shares and optical drives carry no "Internal" key: an explicit false would make the
// classifier take them for hard disks, and true would exclude them.
tallowmere::PropertyDictionary volumeInfo(const Volume& volume);
tallowmere::PropertyDictionary wholeDiskInfo(const Volume& volume);

// The startup disk: "/" (disk3s1s1) or "/System/Volumes/Data" (disk3s5), and its container disk3.
tallowmere::PropertyDictionary startupVolumeInfo(bool dataVolume);
tallowmere::PropertyDictionary startupContainerInfo();

// A `--info` value typed as the command line wrote it: true/false, an integer, a real number or text.
tallowmere::PropertyValue typedInfoValue(const std::string& text);

inline constexpr const char* startupDevice = "disk3s1s1";
inline constexpr const char* dataDevice = "disk3s5";
inline constexpr const char* startupWholeDisk = "disk3";

} // namespace macsim
