#pragma once

#include "app/AlertPresenter.h"

namespace tallowmere {

// Modal alerts drawn as a Mac draws them: the application's icon, the message in bold with the informative text
// under it, and the buttons at the bottom right with the first one, the default, rightmost in the accent
// colour. Return presses the default button, Escape the one titled "Cancel".
class QtAlertPresenter : public AlertPresenter {
public:
    int runModal(const AlertContent& alert) override;
};

} // namespace tallowmere
