#pragma once

#include "platform/PreferenceStore.h"
#include "platform/Runtime.h"
#include "platform/SerialQueue.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

namespace tallowmere {

enum class AnalyticsEvent { appLaunched, firstLaunch, toggleKeepAwake, autoEjectPerformed, preferencesOpened };

// The signal name of an event: its case name.
const char* signalName(AnalyticsEvent event);

// A parameter value of any printable kind; sent as its textual description.
class AnalyticsValue {
public:
    AnalyticsValue(std::int64_t value);
    AnalyticsValue(int value);
    AnalyticsValue(double value);
    AnalyticsValue(bool value);
    AnalyticsValue(std::string value);
    AnalyticsValue(const char* value);
    const std::string& description() const { return m_description; }

private:
    std::string m_description;
};
using AnalyticsParameters = std::map<std::string, AnalyticsValue>;

// The analytics client as the facade sees it.
class SignalSender {
public:
    virtual ~SignalSender() = default;
    // Returns at once; the client processes the signal on a queue of its own, in the order of the calls.
    virtual void signal(const std::string& name, const std::map<std::string, std::string>& parameters,
                        std::optional<double> floatValue, std::optional<std::string> customUserID) = 0;
    // Blocks until every signal handed over so far is processed; false when `timeout` passed first.
    virtual bool waitForSignals(Seconds timeout) = 0;
};

// The one place through which the application reports anonymous usage events, honouring the user's opt-out.
class Analytics {
public:
    // `makeClient` configures and starts the signal client; it runs once, when the facade is created.
    Analytics(Runtime& runtime, const PreferenceStore& preferences,
              const std::function<std::shared_ptr<SignalSender>()>& makeClient);

    // Any thread; returns before the signal is sent. Events reach the client in the order they were tracked.
    void track(AnalyticsEvent event, const AnalyticsParameters& parameters = {});

    // Blocks until every event tracked so far is in the client's hands and processed there, at most `limit`
    // (the application waits for this before it quits). False when the time ran out.
    bool flush(Seconds limit);

private:
    Runtime& m_runtime;
    const PreferenceStore& m_preferences;
    std::shared_ptr<SignalSender> m_client;
    SerialQueue m_handOff;
};

} // namespace tallowmere
