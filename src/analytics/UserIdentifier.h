#pragma once

#include "platform/PreferenceStore.h"

#include <mutex>
#include <string>

namespace tallowmere {

// The stable anonymous identifier of this user account, and the hashed form signals carry.
class UserIdentifier {
public:
    static constexpr const char* defaultsKey = "defaultUserIdentifier";

    explicit UserIdentifier(PreferenceStore& store)
        : m_store(store) {}

    // The stored identifier; a random one is created and stored on first use.
    std::string defaultUserIdentifier();

    // Lower-case hexadecimal SHA-256 of the identifier followed by the salt, as UTF-8.
    static std::string clientUser(const std::string& identifier, const std::string& salt);

private:
    PreferenceStore& m_store;
    std::mutex m_mutex; // two first signals at once must not store two identifiers
};

} // namespace tallowmere
