#pragma once

#include "platform/FileSystem.h"

namespace tallowmere {

// The files of this computer, by host path, for the file-system adapters once they have mapped a path of the
// logic onto one. Failures carry the platform's read errors, as the logic tests them.
namespace HostFiles {

constexpr std::int64_t noPermissionError = 257; // NSFileReadNoPermissionError
constexpr std::int64_t noSuchFileError = 260;   // NSFileReadNoSuchFileError
constexpr std::int64_t unknownReadError = 256;  // NSFileReadUnknownError
constexpr const char* errorDomain = "NSCocoaErrorDomain";

// A failed read with the error an `errno` value stands for.
FileReadResult failure(int error);

bool exists(const std::string& path);
bool isDirectory(const std::string& path);
bool isExecutableFile(const std::string& path);
// The entry names, sorted.
FileReadResult listDirectory(const std::string& path);
FileReadResult readFile(const std::string& path);
bool writeFileAtomically(const std::string& path, const std::string& bytes);
bool moveItem(const std::string& from, const std::string& to);

} // namespace HostFiles
} // namespace tallowmere
