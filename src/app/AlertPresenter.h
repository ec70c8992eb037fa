#pragma once

#include <string>
#include <vector>

namespace tallowmere {

struct AlertContent {
    std::string messageText;
    std::string informativeText;
    std::vector<std::string> buttonTitles; // a button titled `translated("Alert", "Cancel")` answers Escape
};

// Shows a modal alert on the main thread and returns the chosen button's return code:
// 1000 for the first button, 1001 for the second, and so on.
class AlertPresenter {
public:
    static constexpr int firstButtonReturn = 1000;
    virtual ~AlertPresenter() = default;
    virtual int runModal(const AlertContent& alert) = 0;
};

} // namespace tallowmere
