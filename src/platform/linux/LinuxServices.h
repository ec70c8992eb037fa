#pragma once

#include "platform/DiskArbitration.h"
#include "platform/SystemTools.h"

#include <string>

namespace tallowmere {

// diskutil and pmset are the companion's command lines; Linux has no Time Machine, so there is no tmutil and
// the backup check finds none running.
class LinuxSystemTools : public SystemTools {
public:
    explicit LinuxSystemTools(std::string companion)
        : m_companion(std::move(companion)) {}
    std::string diskutil() const override { return m_companion; }
    std::string tmutil() const override { return {}; }
    std::string pmset() const override { return m_companion; }

private:
    std::string m_companion;
};

// udisks2 needs no session of ours; the disk manager's session is there when the system bus is.
class LinuxDiskArbitration : public DiskArbitration {
public:
    explicit LinuxDiskArbitration(bool available)
        : m_available(available) {}
    bool createSession() override { return m_available; }

private:
    bool m_available;
};

} // namespace tallowmere
