#pragma once

#include <QByteArray>
#include <QString>

#include <algorithm>
#include <string>
#include <vector>

namespace tallowmere::test {

// Each of `secrets` that occurs (ignoring case) in JSON as QJsonDocument writes it, as a line quoting what
// surrounds it. That writer escapes only quotes, backslashes and control characters ("/" and "Ω" stay as they
// are), so a secret free of those shows as written whatever escaping the sender used.
inline std::vector<std::string> identifyingTextsInJson(const QByteArray& json,
                                                       const std::vector<std::string>& secrets) {
    const QString text = QString::fromUtf8(json);
    std::vector<std::string> found;
    for (const std::string& secret : secrets) {
        if (qsizetype at = text.indexOf(QString::fromStdString(secret), 0, Qt::CaseInsensitive); at >= 0)
            found.push_back('"' + secret + "\" in …" + text.mid(std::max<qsizetype>(0, at - 60), 160).toStdString());
    }
    return found;
}

} // namespace tallowmere::test
