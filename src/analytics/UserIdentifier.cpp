#include "analytics/UserIdentifier.h"

#include <QCryptographicHash>
#include <QUuid>

namespace tallowmere {

std::string UserIdentifier::defaultUserIdentifier() {
    std::lock_guard lock(m_mutex);
    if (auto stored = m_store.stringValue(defaultsKey); stored && !stored->empty())
        return *stored;
    std::string identifier = QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper().toStdString();
    m_store.setString(defaultsKey, identifier);
    return identifier;
}

std::string UserIdentifier::clientUser(const std::string& identifier, const std::string& salt) {
    QByteArray input = QByteArray::fromStdString(identifier + salt);
    return QCryptographicHash::hash(input, QCryptographicHash::Sha256).toHex().toStdString();
}

} // namespace tallowmere
