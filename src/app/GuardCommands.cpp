#include "app/GuardCommands.h"

#include "base/Preferences.h"

#include <utility>

namespace tallowmere {

GuardCommands::GuardCommands(PreferenceStore& preferences, Application& application,
                             std::shared_ptr<StayAwakeController> stayAwakeController)
    : m_preferences(preferences)
    , m_application(application)
    , m_stayAwakeController(std::move(stayAwakeController)) {}

void GuardCommands::toggleStayAwakeDefault() {
    if (m_stayAwakeController->isActive())
        m_stayAwakeController->deactivate(Initiator::rule, Notice::post);
    else
        m_stayAwakeController->activate(defaultStayAwakeDuration(m_preferences));
}

void GuardCommands::stayAwakeForDuration(ActivationDuration duration) {
    m_preferences.setInteger(PreferenceKey::activationDurationIndex, static_cast<std::int64_t>(duration));
    if (duration == ActivationDuration::off)
        m_stayAwakeController->deactivate(Initiator::rule, Notice::post);
    else
        m_stayAwakeController->activate(seconds(duration));
}

void GuardCommands::activateOnLaunch() {
    if (!m_preferences.boolValue(PreferenceKey::activateStayAwakeOnLaunch))
        return;
    if (auto duration = defaultStayAwakeDuration(m_preferences))
        m_stayAwakeController->activate(duration);
}

void GuardCommands::applyExternalDisplayRule() {
    if (!m_preferences.boolValue(PreferenceKey::activateOnExternalDisplay))
        return;
    if (m_application.screenCount() >= 2)
        m_stayAwakeController->activate(std::nullopt);
    else
        m_stayAwakeController->deactivate(Initiator::rule, Notice::post);
}

void GuardCommands::applyUserSwitchRule() {
    if (m_preferences.boolValue(PreferenceKey::deactivateOnUserSwitch))
        m_stayAwakeController->deactivate(Initiator::rule, Notice::post);
}

} // namespace tallowmere
