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
        if (qsizetype at = text.indexOf(QString::fromStdString(secret), 0, Qt::CaseInsensitive); at >= 0)
            found.push_back('"' + secret + "\" in …" + text.mid(std::max<qsizetype>(0, at - 60), 160).toStdString());
    }
    return found;
}

// The same for a JSON document: its raw text, and every key and value once decoded, so that an escaped form
// ("\/", "\u03a9", "\"") cannot hide a secret. Text that is not JSON is reported too.
inline std::vector<std::string> identifyingTextsInJson(const QByteArray& json,
                                                       const std::vector<std::string>& secrets) {
    std::vector<std::string> found = identifyingTexts(QString::fromUtf8(json), secrets);
    QJsonParseError error{};
    QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError)
        found.push_back("not JSON: " + error.errorString().toStdString());
    QString decoded; // every text of the document, one per line
    auto collect = [&](auto& self, const QJsonValue& value) -> void {
        if (value.isObject()) {
            const QJsonObject object = value.toObject();
            for (auto it = object.begin(); it != object.end(); ++it) {
                decoded += it.key() + '\n';
                self(self, it.value());
            }
        } else if (value.isArray()) {
            for (const QJsonValue& element : value.toArray())
                self(self, element);
        } else {
            decoded += value.toVariant().toString() + '\n';
        }
    };
    collect(collect, document.isArray() ? QJsonValue(document.array()) : QJsonValue(document.object()));
    std::vector<std::string> more = identifyingTexts(decoded, secrets);
    found.insert(found.end(), more.begin(), more.end());
    return found;
}

} // namespace tallowmere::test
