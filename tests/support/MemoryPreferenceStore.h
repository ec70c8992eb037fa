#pragma once

#include "platform/PreferenceStore.h"

#include <map>
#include <mutex>

namespace tallowmere::test {

// An in-memory defaults domain; notifies on the writing thread like the real store.
class MemoryPreferenceStore : public PreferenceStore {
public:
    std::optional<PropertyValue> object(std::string_view key) const override {
        std::lock_guard lock(m_mutex);
        const PropertyValue* value = find(m_values, key);
        return value ? std::optional(*value) : std::nullopt;
    }
    void setObject(std::string_view key, PropertyValue value) override {
        change([&] {
            m_values.insert_or_assign(std::string(key), std::move(value));
            ++m_writes;
        });
    }
    void removeObject(std::string_view key) override {
        change([&] { m_values.erase(std::string(key)); });
    }
    ObserverId addObserver(Observer observer) override {
        std::lock_guard lock(m_mutex);
        m_observers.emplace(m_next, std::move(observer));
        return m_next++;
    }
    void removeObserver(ObserverId id) override {
        std::lock_guard lock(m_mutex);
        m_observers.erase(id);
    }

    int writeCount() const {
        std::lock_guard lock(m_mutex);
        return m_writes;
    }
    std::size_t observerCount() const {
        std::lock_guard lock(m_mutex);
        return m_observers.size();
    }

private:
    // Observers run after the change, outside the lock.
    template <class Edit> void change(Edit edit) {
        std::map<ObserverId, Observer> observers;
        {
            std::lock_guard lock(m_mutex);
            edit();
            observers = m_observers;
        }
        for (auto& [id, observer] : observers)
            observer();
    }

    mutable std::mutex m_mutex;
    PropertyDictionary m_values;
    std::map<ObserverId, Observer> m_observers;
    ObserverId m_next = 1;
    int m_writes = 0;
};

} // namespace tallowmere::test
