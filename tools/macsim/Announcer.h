#pragma once

#include "simulator/Machine.h"

#include <string>
#include <vector>

namespace macsim {

// Tells the application attached to the machine about events; a machine without one is left alone.
class Announcer {
public:
    explicit Announcer(const Machine& machine)
        : m_machine(machine) {}

    void workspace(const std::string& name) const { post("workspace", name); }
    void distributed(const std::string& name) const { post("distributed", name); }
    void defaultCenter(const std::string& name) const { post("default", name); }
    void workspace(const std::vector<std::string>& names) const;
    void defaultsChanged() const;

private:
    void post(const std::string& center, const std::string& name) const;
    const Machine& m_machine;
};

} // namespace macsim
