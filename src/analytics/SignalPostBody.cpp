#include "analytics/SignalPostBody.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>

#include <cmath>

namespace tallowmere {
namespace {

QString text(const std::string& value) {
    return QString::fromStdString(value);
}

QString formatTime(WallTime time) {
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(time.time_since_epoch()).count();
    return QDateTime::fromMSecsSinceEpoch(ms, Qt::UTC).toString(Qt::ISODateWithMs);
}

std::optional<WallTime> parseTime(const QString& value) {
    QDateTime time = QDateTime::fromString(value, Qt::ISODateWithMs);
    if (!time.isValid())
        return std::nullopt;
    // The clock counts nanoseconds in 64 bits: about 292 years either side of 1970. A time past that is no
    // time a signal was made at.
    const std::chrono::milliseconds sinceEpoch(time.toMSecsSinceEpoch());
    const auto reach = std::chrono::duration_cast<std::chrono::milliseconds>(WallTime::duration::max());
    if (sinceEpoch >= reach || sinceEpoch <= -reach)
        return std::nullopt;
    return WallTime(sinceEpoch);
}

std::optional<std::string> stringField(const QJsonObject& object, const char* key) {
    QJsonValue value = object.value(QLatin1String(key));
    if (!value.isString())
        return std::nullopt;
    return value.toString().toStdString();
}

} // namespace

WallTime toRecordTime(WallTime time) {
    return WallTime(std::chrono::duration_cast<std::chrono::milliseconds>(time.time_since_epoch()));
}

QJsonObject SignalPostBody::toJson() const {
    QJsonObject object;
    object.insert("receivedAt", formatTime(receivedAt));
    object.insert("appID", text(appID));
    object.insert("clientUser", text(clientUser));
    object.insert("sessionID", text(sessionID));
    object.insert("type", text(type));
    if (floatValue && std::isfinite(*floatValue))
        object.insert("floatValue", *floatValue);
    QJsonObject payloadObject;
    for (const auto& [key, value] : payload)
        payloadObject.insert(text(key), text(value));
    object.insert("payload", payloadObject);
    object.insert("isTestMode", isTestMode ? "true" : "false");
    return object;
}

std::optional<SignalPostBody> SignalPostBody::fromJson(const QJsonValue& value) {
    if (!value.isObject())
        return std::nullopt;
    QJsonObject object = value.toObject();
    SignalPostBody body;

    auto receivedAt = stringField(object, "receivedAt");
    auto appID = stringField(object, "appID");
    auto clientUser = stringField(object, "clientUser");
    auto sessionID = stringField(object, "sessionID");
    auto type = stringField(object, "type");
    auto isTestMode = stringField(object, "isTestMode");
    if (!receivedAt || !appID || !clientUser || !sessionID || !type || !isTestMode)
        return std::nullopt;
    auto time = parseTime(QString::fromStdString(*receivedAt));
    if (!time || (*isTestMode != "true" && *isTestMode != "false"))
        return std::nullopt;
    body.receivedAt = *time;
    body.appID = std::move(*appID);
    body.clientUser = std::move(*clientUser);
    body.sessionID = std::move(*sessionID);
    body.type = std::move(*type);
    body.isTestMode = *isTestMode == "true";

    if (object.contains("floatValue")) {
        QJsonValue number = object.value("floatValue");
        if (!number.isDouble())
            return std::nullopt;
        body.floatValue = number.toDouble();
    }
    QJsonValue payload = object.value("payload");
    if (!payload.isObject())
        return std::nullopt;
    QJsonObject payloadObject = payload.toObject();
    for (auto it = payloadObject.begin(); it != payloadObject.end(); ++it) {
        if (!it.value().isString())
            return std::nullopt;
        body.payload.emplace(it.key().toStdString(), it.value().toString().toStdString());
    }
    return body;
}

QByteArray encodeSignals(const std::vector<SignalPostBody>& records) {
    QJsonArray array;
    for (const SignalPostBody& signal : records)
        array.append(signal.toJson());
    return QJsonDocument(array).toJson(QJsonDocument::Compact);
}

std::optional<std::vector<SignalPostBody>> decodeSignals(const QByteArray& bytes, int* skipped) {
    QJsonParseError error{};
    QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError || !document.isArray())
        return std::nullopt;
    std::vector<SignalPostBody> records;
    int rejected = 0;
    for (const auto& value : document.array()) {
        if (auto signal = SignalPostBody::fromJson(value))
            records.push_back(std::move(*signal));
        else
            ++rejected;
    }
    if (skipped)
        *skipped = rejected;
    return records;
}

} // namespace tallowmere
