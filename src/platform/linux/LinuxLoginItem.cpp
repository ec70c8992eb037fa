#include "platform/linux/LinuxLoginItem.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QStandardPaths>

namespace tallowmere {

LinuxLoginItem::LinuxLoginItem(std::string executable)
    : m_executable(std::move(executable)) {}

std::string LinuxLoginItem::entryPath() {
    return (QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + "/autostart/tallowmere.desktop")
        .toStdString();
}

std::string LinuxLoginItem::execLine(const std::string& executable) {
    // Inside double quotes, the desktop entry format escapes ", `, $ and \ with a backslash, and the
    // backslash itself is escaped once more by the string rules; "%" is doubled.
    std::string quoted = "\"";
    for (char c : executable) {
        if (c == '"' || c == '`' || c == '$')
            quoted += "\\\\";
        if (c == '\\')
            quoted += "\\\\\\";
        if (c == '%')
            quoted += '%';
        quoted += c;
    }
    return quoted + "\" --platform linux";
}

bool LinuxLoginItem::registerApp() {
    QString path = QString::fromStdString(entryPath());
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    std::string entry = "[Desktop Entry]\n"
                        "Type=Application\n"
                        "Name=Tallowmere\n"
                        "Comment=Takes external drives offline before sleep and keeps the computer awake\n"
                        "Exec=" +
                        execLine(m_executable) +
                        "\n"
                        "Icon=tallowmere\n"
                        "Terminal=false\n"
                        "X-GNOME-Autostart-enabled=true\n";
    file.write(entry.data(), static_cast<qint64>(entry.size()));
    return file.commit();
}

bool LinuxLoginItem::unregisterApp() {
    return QFile::remove(QString::fromStdString(entryPath()));
}

} // namespace tallowmere
