#pragma once

#include "platform/Workspace.h"
#include "support/FakeNotificationCenter.h"

#include <functional>
#include <mutex>
#include <set>
#include <vector>

namespace tallowmere::test {

// A workspace whose device eject (at first: success) and URL opening are scripted; the URLs are recorded.
class FakeWorkspace : public Workspace {
public:
    using EjectHandler = std::function<std::optional<std::string>(const std::string& mountPath)>;

    FakeNotificationCenter& notificationCenter() override { return m_center; }
    void setEjectHandler(EjectHandler handler) {
        std::lock_guard lock(m_mutex);
        m_eject = std::move(handler);
    }
    std::optional<std::string> unmountAndEjectDevice(const std::string& mountPath) override {
        std::unique_lock lock(m_mutex);
        EjectHandler eject = m_eject;
        lock.unlock();
        return eject ? eject(mountPath) : std::nullopt;
    }
    bool openURL(const std::string& url) override {
        std::lock_guard lock(m_mutex);
        m_opened.push_back(url);
        return !unopenable.contains(url);
    }
    // Every URL asked to open, whether it opened or not.
    std::vector<std::string> openRequests() {
        std::lock_guard lock(m_mutex);
        return m_opened;
    }

    std::set<std::string> unopenable; // set before use

private:
    std::mutex m_mutex;
    FakeNotificationCenter m_center;
    EjectHandler m_eject;
    std::vector<std::string> m_opened;
};

} // namespace tallowmere::test
