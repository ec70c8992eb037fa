#pragma once

#include "app/AlertPresenter.h"

#include <mutex>
#include <thread>
#include <vector>

namespace tallowmere::test {

// Answers every alert with `response` (set before use) and records what was shown and on which thread.
class FakeAlertPresenter : public AlertPresenter {
public:
    int runModal(const AlertContent& alert) override {
        std::lock_guard lock(m_mutex);
        m_shown.emplace_back(alert, std::this_thread::get_id());
        return response;
    }
    std::vector<std::pair<AlertContent, std::thread::id>> shown() {
        std::lock_guard lock(m_mutex);
        return m_shown;
    }

    int response = firstButtonReturn;

private:
    std::mutex m_mutex;
    std::vector<std::pair<AlertContent, std::thread::id>> m_shown;
};

} // namespace tallowmere::test
