#include "platform/sim/SimPowerAssertions.h"

namespace tallowmere {

SimPowerAssertions::SimPowerAssertions(macsim::Machine machine)
    : m_machine(std::move(machine)) {}

AssertionResult SimPowerAssertions::create(const std::string& type, std::uint32_t level, const std::string& name) {
    if (type.empty())
        return {returnBadArgument, 0};
    auto id = m_machine.createAssertion(type, level, name, macsim::ProcessIdentity::current());
    if (!id)
        return {returnError, 0};
    return {returnSuccess, *id};
}

int SimPowerAssertions::release(std::uint32_t assertionID) {
    return m_machine.releaseAssertion(assertionID) ? returnSuccess : returnBadArgument;
}

} // namespace tallowmere
