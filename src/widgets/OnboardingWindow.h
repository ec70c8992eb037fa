#pragma once

#include "widgets/KeptWindow.h"

#include <memory>
#include <string>

class QBoxLayout;
class QLabel;
class QPushButton;
class QScrollArea;

namespace tallowmere {

struct AppContext;
class BusyIndicator;
class OnboardingTestRun;

// The welcome window: what Tallowmere does, and a safe test unmount and remount of the external disks. It
// draws its test run and forwards the buttons to it; closing it only hides it.
class OnboardingWindow : public KeptWindow {
    Q_OBJECT

public:
    explicit OnboardingWindow(const AppContext& context);
    ~OnboardingWindow() override;

private:
    void redraw();
    void fitToScreen();

    std::shared_ptr<OnboardingTestRun> m_testRun;
    QScrollArea* m_body;
    QBoxLayout* m_column;
    QBoxLayout* m_bottom;
    QWidget* m_scrollEdge;
    QPushButton* m_unmountButton;
    QPushButton* m_remountButton;
    QPushButton* m_getStartedButton;
    BusyIndicator* m_unmountProgress;
    BusyIndicator* m_remountProgress;
    QLabel* m_statusMessage;
    std::string m_shownMessage;
};

} // namespace tallowmere
