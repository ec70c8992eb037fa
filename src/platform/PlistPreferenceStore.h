#pragma once

#include "platform/PreferenceStore.h"

#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <string>

class QObject;
class QThread;

namespace tallowmere {

// The defaults domain kept as an XML property-list file. Every write re-reads the file under a lock,
// applies the change and replaces the file atomically before returning, so writers in other processes
// never lose each other's updates. Changes made by other processes are noticed by a watcher and posted
// as change notifications. Reads never wait for the file: they see the values of the last write or reload.
//
// Like the platform's, a domain holds at most `maximumFileSize` bytes: a write that would grow it past that is
// refused, and a larger file is moved aside like an unreadable one. A value whose text XML cannot carry whole
// (not UTF-8, or a NUL inside) is refused too, so what is written back is always what was stored.
class PlistPreferenceStore : public PreferenceStore {
public:
    static constexpr std::int64_t maximumFileSize = std::int64_t{4} * 1024 * 1024;

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
    // `reloadFromDisk` on the watcher's thread (at once when not watching); notices that come while one is
    // waiting there are answered by it.
    void reloadLater();

    const std::string& path() const { return m_path; }

private:
    PropertyDictionary readFileLocked();
    void modify(std::string_view key, const std::function<void(PropertyDictionary&)>& change);
    // Takes the values read from the file; true when they differ from what the store had.
    bool adopt(PropertyDictionary values);
    void postChange();

    std::string m_path;
    std::string m_lockPath;
    // Held for reading and replacing the file (never by a reader of values).
    std::mutex m_fileMutex;
    mutable std::mutex m_mutex;
    PropertyDictionary m_values;
    std::mutex m_observersMutex;
    std::map<ObserverId, std::shared_ptr<Observer>> m_observers;
    ObserverId m_nextObserver = 1;
    std::unique_ptr<QThread> m_watcherThread;
    QObject* m_watcherContext = nullptr; // lives on the watcher's thread
    std::atomic<bool> m_isReloadQueued{false};
};

} // namespace tallowmere
