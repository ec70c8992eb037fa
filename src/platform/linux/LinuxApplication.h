#pragma once

#include "platform/Application.h"
#include "platform/LocalNotificationCenter.h"

#include <QObject>

class QScreen;

namespace tallowmere {

// The shared application on a Linux desktop: its screens are Qt's, and a change of them is posted on the
// default center. A desktop program has no Dock icon to hide and cannot take the focus from the user.
class LinuxApplication : public QObject, public Application {
    Q_OBJECT
public:
    // Main thread, after the QGuiApplication exists.
    void start();

    NotificationCenter& defaultCenter() override { return m_defaultCenter; }
    NotificationCenter& distributedCenter() override { return m_distributedCenter; }
    LocalNotificationCenter& distributed() { return m_distributedCenter; }
    int screenCount() override;
    void setAccessoryActivationPolicy() override {}
    void activateIgnoringOtherApps() override {}
    void requestUserAttention() override;
    void terminate() override;

private:
    void watchScreen(QScreen* screen);
    void screensChanged();

    LocalNotificationCenter m_defaultCenter;
    LocalNotificationCenter m_distributedCenter;
};

} // namespace tallowmere
