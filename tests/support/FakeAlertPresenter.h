#pragma once

#include "app/AlertPresenter.h"

#include <mutex>
#include <thread>
#include <vector>

namespace tallowmere::test {

// Answers every alert with a scripted return code and records what was shown and on which thread.
class FakeAlertPresenter : public AlertPresenter {
public:
    void setResponse(int response) {
        std::lock_guard lock(m_mutex);
        m_response = response;
    }
    int runModal(const AlertContent& alert) override {
        std::lock_guard lock(m_mutex);
        m_shown.emplace_back(alert, std::this_thread::get_id());
        return m_response;
    }
    // Each alert shown, with the thread that showed it.
    std::vector<std::pair<AlertContent, std::thread::id>> shown() const {
        std::lock_guard lock(m_mutex);
        return m_shown;
    }

private:
    mutable std::mutex m_mutex;
    int m_response = firstButtonReturn;
    std::vector<std::pair<AlertContent, std::thread::id>> m_shown;
};

} // namespace tallowmere::test
