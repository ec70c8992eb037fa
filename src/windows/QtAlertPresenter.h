#pragma once

#include "app/AlertPresenter.h"

namespace tallowmere {

// Modal alerts as message boxes: the first button is the default one.
class QtAlertPresenter : public AlertPresenter {
public:
    int runModal(const AlertContent& alert) override;
};

} // namespace tallowmere
