#include "platform/linux/LinuxApplication.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMetaObject>
#include <QScreen>
#include <QWidget>

namespace tallowmere {

void LinuxApplication::start() {
    auto* application = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    if (!application)
        return;
    connect(application, &QGuiApplication::screenAdded, this, [this](QScreen* screen) {
        watchScreen(screen);
        screensChanged();
    });
    connect(application, &QGuiApplication::screenRemoved, this, [this] { screensChanged(); });
    for (QScreen* screen : QGuiApplication::screens())
        watchScreen(screen);
}

void LinuxApplication::watchScreen(QScreen* screen) {
    connect(screen, &QScreen::geometryChanged, this, [this] { screensChanged(); });
}

void LinuxApplication::screensChanged() {
    m_defaultCenter.post(NotificationName::screenParametersChanged);
}

int LinuxApplication::screenCount() {
    return static_cast<int>(QGuiApplication::screens().size());
}

void LinuxApplication::requestUserAttention() {
    if (QWidget* window = QApplication::activeWindow())
        QApplication::alert(window);
    else
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (widget->isVisible())
                QApplication::alert(widget);
}

void LinuxApplication::terminate() {
    if (QCoreApplication* application = QCoreApplication::instance())
        QMetaObject::invokeMethod(application, &QCoreApplication::quit, Qt::QueuedConnection);
}

} // namespace tallowmere
