#pragma once

#include "platform/HttpTransport.h"

#include "simulator/Machine.h"

namespace tallowmere {

// On the simulated Mac the analytics ingestion service is the machine: requests never reach the network.
class SimAnalyticsTransport : public HttpTransport {
public:
    explicit SimAnalyticsTransport(macsim::Machine& machine)
        : m_machine(machine) {}
    HttpResponse send(const HttpRequest& request) override;

private:
    macsim::Machine& m_machine;
};

} // namespace tallowmere
