#pragma once

#include "app/AlertPresenter.h"

#include <thread>
#include <vector>

namespace tallowmere::test {

// Answers every alert with `response` and records what was shown and on which thread (the main one, or a test
// fails anyway).
class FakeAlertPresenter : public AlertPresenter {
public:
    int runModal(const AlertContent& alert) override {
        shown.emplace_back(alert, std::this_thread::get_id());
        return response;
    }

    std::vector<std::pair<AlertContent, std::thread::id>> shown;
    int response = firstButtonReturn;
};

} // namespace tallowmere::test
