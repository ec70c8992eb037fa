#pragma once

#include "models/MenuBarModel.h"

#include <QObject>
#include <QPoint>

#include <memory>

class QMenu;
class QSystemTrayIcon;
class QToolButton;
class QWidget;

namespace tallowmere {

// The application's place in the menu bar: the icon that shows whether Quenby Guard is on, and the menu under
// it, rebuilt from the model each time it comes on screen. On a desktop with a system tray it is a tray icon;
// elsewhere (a bare X session, off screen) the simulated Mac's menu bar stands in: a slim strip across the top
// of the primary screen with the icon near its right end.
class StatusItem : public QObject {
    Q_OBJECT

public:
    explicit StatusItem(const AppContext& context);
    ~StatusItem() override;

    // What opening the menu does: the volume refresh, then the menu drawn anew. Returns the menu.
    QMenu* prepareMenu();
    // Where the menu opens: under the icon.
    QPoint menuPosition() const;
    // The strip standing in for the menu bar; nothing when the system tray holds the icon.
    QWidget* menuBar() const;

private:
    void rebuild(QMenu* menu, const std::vector<MenuEntry>& entries);
    void showIcon(bool active);
    void placeStrip();

    MenuBarModel m_model;
    std::unique_ptr<QMenu> m_menu;
    std::unique_ptr<QSystemTrayIcon> m_tray;
    std::unique_ptr<QWidget> m_strip;
    QToolButton* m_stripButton = nullptr;
};

} // namespace tallowmere
