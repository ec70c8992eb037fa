#include "platform/PreferenceObservers.h"

#include <vector>

namespace tallowmere {
namespace {

// The observers whose store is writing on this thread.
thread_local const PreferenceObservers* t_writing = nullptr;

} // namespace

PreferenceStore::ObserverId PreferenceObservers::add(PreferenceStore::Observer observer) {
    std::lock_guard lock(m_mutex);
    PreferenceStore::ObserverId id = m_next++;
    m_observers.emplace(id, std::make_shared<PreferenceStore::Observer>(std::move(observer)));
    return id;
}

void PreferenceObservers::remove(PreferenceStore::ObserverId id) {
    std::lock_guard lock(m_mutex);
    m_observers.erase(id);
}

void PreferenceObservers::ownWrite(const std::function<void()>& write) {
    const PreferenceObservers* outer = t_writing;
    t_writing = this;
    write();
    t_writing = outer;
    notify();
}

void PreferenceObservers::platformReported() {
    if (t_writing != this)
        notify();
}

bool PreferenceObservers::isFirstUse(std::string_view key) {
    std::lock_guard lock(m_mutex);
    return m_watchedKeys.emplace(key).second;
}

void PreferenceObservers::notify() {
    // Observers may add or remove observers: they run on a copy taken outside the lock.
    std::vector<std::shared_ptr<PreferenceStore::Observer>> observers;
    {
        std::lock_guard lock(m_mutex);
        for (const auto& [id, observer] : m_observers)
            observers.push_back(observer);
    }
    for (const auto& observer : observers)
        (*observer)();
}

} // namespace tallowmere
