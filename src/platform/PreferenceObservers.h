#pragma once

#include "platform/PreferenceStore.h"

#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <string_view>

namespace tallowmere {

// The change notices of a store whose platform also reports changes on its own, among them the echo of the
// store's own writes. A write of the store notifies once, at once, on the writing thread; a report that comes
// while that write runs on the same thread is its echo and is dropped. Any other report (another process
// changed a key) notifies on the thread it arrives on.
class PreferenceObservers {
public:
    PreferenceStore::ObserverId add(PreferenceStore::Observer observer);
    void remove(PreferenceStore::ObserverId id);

    // Runs the store's write, then notifies.
    void ownWrite(const std::function<void()>& write);
    void platformReported();

    // True the first time a key is named: the store starts watching it for outside changes then. A key that
    // was never read nor written has nobody to tell about its changes.
    bool isFirstUse(std::string_view key);

private:
    void notify();

    std::mutex m_mutex;
    std::map<PreferenceStore::ObserverId, std::shared_ptr<PreferenceStore::Observer>> m_observers;
    PreferenceStore::ObserverId m_next = 1;
    std::set<std::string, std::less<>> m_watchedKeys;
};

} // namespace tallowmere
