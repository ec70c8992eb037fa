#pragma once

#include "guard/ActivationDuration.h"
#include "guard/StayAwakeController.h"
#include "platform/Application.h"
#include "platform/PreferenceStore.h"

#include <memory>

namespace tallowmere {

// What switches Quenby Guard beside its own timer and battery rules: the user's two commands, the launch switch,
// and the external-display and user-switch rules. Main thread.
class GuardCommands {
public:
    GuardCommands(PreferenceStore& preferences, Application& application,
                  std::shared_ptr<StayAwakeController> stayAwakeController);

    // Off when on; otherwise on for the default duration, with no time limit when that is "Off" or "Indefinitely".
    void toggleStayAwakeDefault();
    // The chosen duration becomes the default one; the guard runs for it, or stops for `off`.
    void stayAwakeForDuration(ActivationDuration duration);
    // At launch, when asked to: the default duration, if it is a time.
    void activateOnLaunch();
    // While asked to: on with no time limit whenever two or more screens are attached, off otherwise.
    void applyExternalDisplayRule();
    // While asked to: off when another user takes over the console.
    void applyUserSwitchRule();

private:
    PreferenceStore& m_preferences;
    Application& m_application;
    std::shared_ptr<StayAwakeController> m_stayAwakeController;
};

} // namespace tallowmere
