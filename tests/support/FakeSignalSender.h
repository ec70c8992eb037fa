#pragma once

#include "analytics/Analytics.h"

#include <mutex>
#include <thread>
#include <vector>

namespace tallowmere::test {

// Records every signal handed to the analytics client, with the thread it arrived on.
class FakeSignalSender : public SignalSender {
public:
    struct Signal {
        std::string name;
        std::map<std::string, std::string> parameters;
        std::thread::id thread;
    };

    void signal(const std::string& name, const std::map<std::string, std::string>& parameters, std::optional<double>,
                std::optional<std::string>) override {
        std::lock_guard lock(m_mutex);
        m_signals.push_back({name, parameters, std::this_thread::get_id()});
    }
    bool waitForSignals(Seconds) override { return true; }
    std::vector<Signal> received() const {
        std::lock_guard lock(m_mutex);
        return m_signals;
    }

private:
    mutable std::mutex m_mutex;
    std::vector<Signal> m_signals;
};

} // namespace tallowmere::test
