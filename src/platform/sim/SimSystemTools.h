#pragma once

#include "platform/SystemTools.h"

#include "simulator/Machine.h"

namespace tallowmere {

// The stand-in tools of the simulated Mac: links to macsim in <machine>/bin.
class SimSystemTools : public SystemTools {
public:
    explicit SimSystemTools(const macsim::Machine& machine)
        : m_bin(machine.binFolder()) {}
    std::string diskutil() const override { return m_bin + "/diskutil"; }
    std::string tmutil() const override { return m_bin + "/tmutil"; }
    std::string pmset() const override { return m_bin + "/pmset"; }

private:
    std::string m_bin;
};

} // namespace tallowmere
