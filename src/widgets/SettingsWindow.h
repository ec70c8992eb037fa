#pragma once

#include "base/SettingsSection.h"
#include "widgets/KeptWindow.h"

class QListWidget;
class QScrollArea;

namespace tallowmere {

class AppDelegate;
class SettingsPage;

// The settings window: the sections in a sidebar, the chosen section's page beside it and "Done" under it.
// It opens on the section remembered in `settingsTabIndex`, remembers every choice, and only hides when
// closed, keeping the section it shows.
class SettingsWindow : public KeptWindow {
    Q_OBJECT

public:
    explicit SettingsWindow(AppDelegate& delegate);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void select(SettingsSection section);
    void showPage(SettingsSection section);

    AppDelegate& m_delegate;
    QListWidget* m_sidebar;
    QScrollArea* m_scroll;
    SettingsPage* m_page = nullptr;
};

} // namespace tallowmere
