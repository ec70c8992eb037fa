#pragma once

#include "platform/Workspace.h"
#include "support/FakeNotificationCenter.h"

#include <functional>
#include <mutex>
#include <set>
#include <vector>

namespace tallowmere::test {

// A workspace whose device eject and URL opening are scripted and recorded.
class FakeWorkspace : public Workspace {
public:
    using EjectHandler = std::function<std::optional<std::string>(const std::string& mountPath)>;

    FakeNotificationCenter& notificationCenter() override { return m_center; }

    // Answers every eject (at first: success).
    void setEjectHandler(EjectHandler handler) {
        std::lock_guard lock(m_mutex);
        m_eject = std::move(handler);
    }
    std::optional<std::string> unmountAndEjectDevice(const std::string& mountPath) override {
        EjectHandler eject;
        {
            std::lock_guard lock(m_mutex);
            m_ejected.push_back(mountPath);
            eject = m_eject;
        }
        return eject ? eject(mountPath) : std::nullopt;
    }
    std::vector<std::string> ejectRequests() const {
        std::lock_guard lock(m_mutex);
        return m_ejected;
    }

    // URLs that nothing opens; every other URL opens.
    void setUnopenable(std::set<std::string> urls) {
        std::lock_guard lock(m_mutex);
        m_unopenable = std::move(urls);
    }
    bool openURL(const std::string& url) override {
        std::lock_guard lock(m_mutex);
        m_opened.push_back(url);
        return !m_unopenable.contains(url);
    }
    // Every URL asked to open, whether it opened or not.
    std::vector<std::string> openRequests() const {
        std::lock_guard lock(m_mutex);
        return m_opened;
    }

private:
    mutable std::mutex m_mutex;
    FakeNotificationCenter m_center;
    EjectHandler m_eject;
    std::vector<std::string> m_ejected;
    std::set<std::string> m_unopenable;
    std::vector<std::string> m_opened;
};

} // namespace tallowmere::test
