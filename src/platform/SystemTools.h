#pragma once

#include <string>

namespace tallowmere {

// Where the system tools are: "/usr/sbin/diskutil", "/usr/bin/tmutil" and "/usr/bin/pmset" on a Mac.
class SystemTools {
public:
    virtual ~SystemTools() = default;
    virtual std::string diskutil() const = 0;
    virtual std::string tmutil() const = 0;
    virtual std::string pmset() const = 0;
};

} // namespace tallowmere
