#pragma once

#include "guard/StayAwakeController.h"
#include "platform/PreferenceStore.h"
#include "platform/Runtime.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>

namespace tallowmere {

// Keeps `stayAwakeEnabled`, the "Quenby Guard Active" switch, and Quenby Guard in step: a change of the switch
// (on the settings page or from outside) turns the guard on or off, and the switch follows the guard whoever
// started or stopped it, written as the application's own change so that it is not taken for a request.
class GuardPreferenceSync : public std::enable_shared_from_this<GuardPreferenceSync> {
public:
    static std::shared_ptr<GuardPreferenceSync> create(Runtime& runtime, PreferenceStore& preferences,
                                                       std::shared_ptr<StayAwakeController> stayAwakeController);
    ~GuardPreferenceSync();
    GuardPreferenceSync(const GuardPreferenceSync&) = delete;
    GuardPreferenceSync& operator=(const GuardPreferenceSync&) = delete;

    // At launch nothing keeps the computer awake, whatever the switch said when the last run ended.
    void showGuardOffAtLaunch();
    // From then on every change of the store reaches `handleDefaultsChanged`.
    void startObserving();
    void handleDefaultsChanged();

private:
    GuardPreferenceSync(Runtime& runtime, PreferenceStore& preferences,
                        std::shared_ptr<StayAwakeController> stayAwakeController);

    void applyStayAwakePreference(bool enabled);
    void mirrorStayAwakeEnabled(bool active);

    Runtime& m_runtime;
    PreferenceStore& m_preferences;
    std::shared_ptr<StayAwakeController> m_stayAwakeController;
    bool m_suppressStayAwakeDefaults = false;
    // The value of `stayAwakeEnabled` the observer saw last: only a change of it is a request.
    bool m_lastSeenStayAwakeEnabled = false;
    // How often the application wrote `stayAwakeEnabled` itself; read on the store's notifying thread.
    std::atomic<std::uint64_t> m_ownStayAwakeWrites{0};
    std::optional<PreferenceStore::ObserverId> m_defaultsObserver;
};

} // namespace tallowmere
