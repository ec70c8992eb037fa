#pragma once

#include "app/AlertPresenter.h"

#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace tallowmere::test {

// Answers every alert with a scripted return code and records what was shown and on which thread.
class FakeAlertPresenter : public AlertPresenter {
public:
    explicit FakeAlertPresenter(int response = firstButtonReturn)
        : m_response(response) {}

    void setResponse(int response) {
        std::lock_guard lock(m_mutex);
        m_response = response;
    }

    int runModal(const AlertContent& alert) override {
        std::lock_guard lock(m_mutex);
        m_shown.push_back(alert);
        m_threads.push_back(std::this_thread::get_id());
        return m_response;
    }

    std::vector<AlertContent> shown() const {
        std::lock_guard lock(m_mutex);
        return m_shown;
    }
    std::vector<std::thread::id> threads() const {
        std::lock_guard lock(m_mutex);
        return m_threads;
    }

private:
    mutable std::mutex m_mutex;
    int m_response;
    std::vector<AlertContent> m_shown;
    std::vector<std::thread::id> m_threads;
};

} // namespace tallowmere::test
