#pragma once

#include "platform/LoginItem.h"

#include "simulator/Machine.h"

namespace tallowmere {

// The application's login item, kept in the simulated Mac.
class SimLoginItem : public LoginItem {
public:
    explicit SimLoginItem(macsim::Machine machine);
    bool registerApp() override;
    // Fails, like the service, when the item is not registered.
    bool unregisterApp() override;

private:
    macsim::Machine m_machine;
};

} // namespace tallowmere
