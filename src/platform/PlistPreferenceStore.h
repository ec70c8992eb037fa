#pragma once

#include "platform/PreferenceStore.h"

#include <map>
#include <memory>
#include <mutex>
#include <string>

class QThread;

namespace tallowmere {

// The defaults domain kept as an XML property-list file. Every write re-reads the file under a lock,
// applies the change and replaces the file atomically before returning, so writers in other processes
// never lose each other's updates. Changes made by other processes are noticed by a watcher and posted
// as change notifications.
class PlistPreferenceStore : public PreferenceStore {
public:
    explicit PlistPreferenceStore(std::string path);
    ~PlistPreferenceStore() override;

    std::optional<PropertyValue> object(std::string_view key) const override;
    void setObject(std::string_view key, PropertyValue value) override;
    void removeObject(std::string_view key) override;
    ObserverId addObserver(Observer observer) override;
    void removeObserver(ObserverId id) override;

    // Every key and value, as the file holds them now.
    PropertyDictionary snapshot() const;
    // Re-reads the file and posts the change notification when its content differs from what the store had.
    void reloadFromDisk();
    // Watches the file for writes of other processes (on a thread of the store's own).
    void startWatching();

    const std::string& path() const { return m_path; }

private:
    PropertyDictionary readFileLocked();
    void modify(const std::function<void(PropertyDictionary&)>& change);
    void postChange();

    std::string m_path;
    std::string m_lockPath;
    mutable std::mutex m_mutex;
    PropertyDictionary m_values;
    std::mutex m_observersMutex;
    std::map<ObserverId, std::shared_ptr<Observer>> m_observers;
    ObserverId m_nextObserver = 1;
    std::unique_ptr<QThread> m_watcherThread;
};

} // namespace tallowmere
