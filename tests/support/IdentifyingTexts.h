#pragma once

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>

#include <algorithm>
#include <string>
#include <vector>

namespace tallowmere::test {

// Each of `secrets` that occurs in `text` (ignoring case), as a line quoting what surrounds it.
inline std::vector<std::string> identifyingTexts(const QString& text, const std::vector<std::string>& secrets) {
    std::vector<std::string> found;
    for (const std::string& secret : secrets) {
        qsizetype at = text.indexOf(QString::fromStdString(secret), 0, Qt::CaseInsensitive);
        if (at >= 0)
            found.push_back('"' + secret + "\" in …" + text.mid(std::max<qsizetype>(0, at - 60), 160).toStdString() +
                            "…");
    }
    return found;
}

namespace detail {
inline void collectTexts(const QJsonValue& value, std::vector<QString>& texts) {
    if (value.isObject()) {
        const QJsonObject object = value.toObject();
        for (auto it = object.begin(); it != object.end(); ++it) {
            texts.push_back(it.key());
            collectTexts(it.value(), texts);
        }
    } else if (value.isArray()) {
        for (const QJsonValue& element : value.toArray())
            collectTexts(element, texts);
    } else if (value.isString()) {
        texts.push_back(value.toString());
    } else if (value.isDouble()) {
        texts.push_back(QString::number(value.toDouble(), 'g', 17));
    }
}
} // namespace detail

// The same for a JSON document: its raw text, and every key and value once decoded, so that an escaped form
// ("\/", "\u03a9", "\"") cannot hide a secret. Text that is not JSON is reported too.
inline std::vector<std::string> identifyingTextsInJson(const QByteArray& json,
                                                       const std::vector<std::string>& secrets) {
    std::vector<std::string> found = identifyingTexts(QString::fromUtf8(json), secrets);
    QJsonParseError error{};
    QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError) {
        found.push_back("not JSON: " + error.errorString().toStdString());
        return found;
    }
    std::vector<QString> texts;
    detail::collectTexts(document.isArray() ? QJsonValue(document.array()) : QJsonValue(document.object()), texts);
    for (const QString& text : texts) {
        std::vector<std::string> more = identifyingTexts(text, secrets);
        found.insert(found.end(), more.begin(), more.end());
    }
    return found;
}

} // namespace tallowmere::test
