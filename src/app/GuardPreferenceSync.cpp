#include "app/GuardPreferenceSync.h"

#include "base/Preferences.h"
#include "guard/ActivationDuration.h"

#include <utility>

namespace tallowmere {

std::shared_ptr<GuardPreferenceSync>
GuardPreferenceSync::create(Runtime& runtime, PreferenceStore& preferences,
                            std::shared_ptr<StayAwakeController> stayAwakeController) {
    std::shared_ptr<GuardPreferenceSync> sync(
        new GuardPreferenceSync(runtime, preferences, std::move(stayAwakeController)));
    StayAwakeController* guard = sync->m_stayAwakeController.get();
    QObject::connect(guard, &StayAwakeController::isActiveChanged, guard, [weak = std::weak_ptr(sync)](bool active) {
        if (auto self = weak.lock())
            self->mirrorStayAwakeEnabled(active);
    });
    return sync;
}

GuardPreferenceSync::GuardPreferenceSync(Runtime& runtime, PreferenceStore& preferences,
                                         std::shared_ptr<StayAwakeController> stayAwakeController)
    : m_runtime(runtime)
    , m_preferences(preferences)
    , m_stayAwakeController(std::move(stayAwakeController)) {}

GuardPreferenceSync::~GuardPreferenceSync() {
    if (m_defaultsObserver)
        m_preferences.removeObserver(*m_defaultsObserver);
}

void GuardPreferenceSync::showGuardOffAtLaunch() {
    if (m_preferences.boolValue(PreferenceKey::stayAwakeEnabled))
        mirrorStayAwakeEnabled(false);
}

void GuardPreferenceSync::startObserving() {
    m_lastSeenStayAwakeEnabled = m_preferences.boolValue(PreferenceKey::stayAwakeEnabled);
    m_defaultsObserver = m_preferences.addObserver([weak = weak_from_this()] {
        if (auto self = weak.lock())
            self->handleDefaultsChanged();
    });
}

// The store notifies on the thread that wrote. The value is taken at once, as the notification saw it; a write
// the application makes itself under `suppressStayAwakeDefaults` (on the main thread, in the writer's turn) is
// only remembered. Every other change is acted on in a later main-queue turn, after the controller has
// published what it did in this one, so a writer that has just activated or deactivated the guard (the
// external-display rule, the duration command) is not taken for a second request.
void GuardPreferenceSync::handleDefaultsChanged() {
    bool enabled = m_preferences.boolValue(PreferenceKey::stayAwakeEnabled);
    if (m_runtime.isMainThread() && m_suppressStayAwakeDefaults) {
        m_lastSeenStayAwakeEnabled = enabled;
        ++m_ownStayAwakeWrites;
        return;
    }
    const std::uint64_t ownWrites = m_ownStayAwakeWrites;
    m_runtime.mainAsync(weakly(shared_from_this(), [enabled, ownWrites](GuardPreferenceSync& self) {
        // A value seen before the application's own later write of the key is stale: acting on it would undo the
        // guard the user just switched.
        if (ownWrites == self.m_ownStayAwakeWrites)
            self.applyStayAwakePreference(enabled);
    }));
}

void GuardPreferenceSync::applyStayAwakePreference(bool enabled) {
    // Only a change of the stored value is a request: writes of unrelated keys (the seen-volume list on
    // every mount) must not restart a guard that its timer or a battery rule has ended.
    if (enabled == m_lastSeenStayAwakeEnabled)
        return;
    m_lastSeenStayAwakeEnabled = enabled;
    if (enabled && !m_stayAwakeController->isActive())
        m_stayAwakeController->activate(defaultStayAwakeDuration(m_preferences));
    else if (!enabled && m_stayAwakeController->isActive())
        m_stayAwakeController->deactivate(Initiator::user, Notice::post);
}

// The switch follows the guard whoever started or stopped it (its timer, a battery rule, a user switch, the
// launch).
void GuardPreferenceSync::mirrorStayAwakeEnabled(bool active) {
    if (m_preferences.hasObject(PreferenceKey::stayAwakeEnabled) &&
        m_preferences.boolValue(PreferenceKey::stayAwakeEnabled) == active)
        return;
    m_suppressStayAwakeDefaults = true;
    m_preferences.setBool(PreferenceKey::stayAwakeEnabled, active);
    m_suppressStayAwakeDefaults = false;
}

} // namespace tallowmere
