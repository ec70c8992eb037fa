#pragma once

#include "analytics/AnalyticsConfiguration.h"
#include "platform/Runtime.h"

#include <QByteArray>
#include <QJsonObject>
#include <QJsonValue>

#include <optional>
#include <string>
#include <vector>

namespace tallowmere {

// One signal record as the ingestion service receives it.
struct SignalPostBody {
    WallTime receivedAt; // whole milliseconds, so that a record survives a round trip through JSON unchanged
    std::string appID;
    std::string clientUser;
    std::string sessionID;
    std::string type;
    std::optional<double> floatValue; // finite, or absent
    SignalParameters payload;
    bool isTestMode = false;

    QJsonObject toJson() const;
    // Nothing when a key is missing or has the wrong type.
    static std::optional<SignalPostBody> fromJson(const QJsonValue& value);

    bool operator==(const SignalPostBody&) const = default;
};

// A list of records as one JSON array (the request body and the cache file).
QByteArray encodeSignals(const std::vector<SignalPostBody>& records);

// The records of a JSON array; nothing when the bytes are not a JSON array. Records that do not decode are
// left out and counted in `skipped`.
std::optional<std::vector<SignalPostBody>> decodeSignals(const QByteArray& bytes, int* skipped = nullptr);

// Whole milliseconds, the precision the record keeps.
WallTime toRecordTime(WallTime time);

} // namespace tallowmere
