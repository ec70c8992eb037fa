#include "analytics/SignalClient.h"

namespace tallowmere {
namespace {
constexpr const char* sessionStartedSignal = "Analytics.Session.started";
}

SignalClient::SignalClient(std::shared_ptr<const AnalyticsConfiguration> configuration,
                           std::shared_ptr<SignalManager> manager, Runtime& runtime)
    : m_configuration(std::move(configuration))
    , m_manager(std::move(manager))
    , m_processing(runtime, QoS::Utility) {}

std::shared_ptr<SignalClient> SignalClient::initialize(AnalyticsConfiguration configuration,
                                                       const SignalClientServices& services) {
    auto shared = std::make_shared<const AnalyticsConfiguration>(std::move(configuration));
    auto manager = std::make_shared<SignalManager>(shared, services);
    std::shared_ptr<SignalClient> client(new SignalClient(shared, manager, services.runtime));
    if (shared->analyticsAppID.empty())
        manager->logger().error("The analytics app ID is empty; the service will not accept these signals");
    if (shared->sendNewSessionBeganSignal && manager->isSendingEnabled())
        client->m_processing.async(weakly(
            manager, [](SignalManager& signalManager) { signalManager.processInternalSignal(sessionStartedSignal); }));
    if (manager->isSendingEnabled())
        manager->start();
    else
        manager->logger().info("Analytics is off for this build or configuration: no signals are sent");
    return client;
}

void SignalClient::signal(const std::string& name, const std::map<std::string, std::string>& parameters,
                          std::optional<double> floatValue, std::optional<std::string> customUserID) {
    if (!m_manager->isSendingEnabled()) {
        m_manager->logger().debug("Analytics is off for this build or configuration; not sending " + name);
        return;
    }
    m_processing.async(weakly(m_manager, [name, parameters, floatValue, customUserID](SignalManager& signalManager) {
        signalManager.processSignal(name, parameters, floatValue, customUserID);
    }));
}

} // namespace tallowmere
