#pragma once

#include "platform/PowerAssertions.h"

#include <map>
#include <mutex>
#include <optional>
#include <utility>
#include <vector>

namespace tallowmere::test {

// Power assertions with increasing identifiers; `failNextWith` scripts a failed creation.
class FakePowerAssertions : public PowerAssertions {
public:
    struct Created {
        std::string type;
        std::uint32_t level;
        std::string name;
    };

    void failNextWith(AssertionResult result) {
        std::lock_guard lock(m_mutex);
        m_failure = result;
    }
    AssertionResult create(const std::string& type, std::uint32_t level, const std::string& name) override {
        std::lock_guard lock(m_mutex);
        AssertionResult result = m_failure ? *std::exchange(m_failure, std::nullopt) : AssertionResult{0, m_nextID++};
        if (result.returnCode == 0 && result.assertionID != 0)
            m_held.emplace(result.assertionID, type);
        m_created.push_back({type, level, name});
        return result;
    }
    int release(std::uint32_t assertionID) override {
        std::lock_guard lock(m_mutex);
        return m_held.erase(assertionID) ? 0 : -1;
    }

    std::vector<Created> created() const {
        std::lock_guard lock(m_mutex);
        return m_created;
    }
    // Identifier to type of every assertion held now.
    std::map<std::uint32_t, std::string> held() const {
        std::lock_guard lock(m_mutex);
        return m_held;
    }

private:
    mutable std::mutex m_mutex;
    std::uint32_t m_nextID = 101;
    std::optional<AssertionResult> m_failure;
    std::vector<Created> m_created;
    std::map<std::uint32_t, std::string> m_held;
};

} // namespace tallowmere::test
