#include "platform/Translation.h"

#include <QCoreApplication>
#include <QLocale>
#include <QTranslator>

namespace tallowmere {

std::string translated(const char* context, const char* text, const char* disambiguation, int count) {
    return QCoreApplication::translate(context, text, disambiguation, count).toStdString();
}

std::string filledIn(const std::string& text, const std::string& first) {
    return QString::fromStdString(text).arg(QString::fromStdString(first)).toStdString();
}

std::string filledIn(const std::string& text, const std::string& first, const std::string& second) {
    return QString::fromStdString(text)
        .arg(QString::fromStdString(first), QString::fromStdString(second))
        .toStdString();
}

void installTranslation() {
    auto* translator = new QTranslator(QCoreApplication::instance());
    if (translator->load(QLocale::system(), "tallowmere", "_", ":/i18n"))
        QCoreApplication::installTranslator(translator);
    else
        delete translator;
}

} // namespace tallowmere
