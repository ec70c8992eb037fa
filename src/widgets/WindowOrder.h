#pragma once

#include <QRect>
#include <QString>

#include <vector>

class QApplication;
class QScreen;
class QWidget;

namespace tallowmere {

// Which window is in front. Without a window server (drawing off screen) there is no stacking order to ask
// for, so the application keeps its own: a window is in front from the moment it is shown or ordered front.
class WindowOrder {
public:
    // Notes every top-level window that is shown from now on.
    static void track(QApplication& application);
    // Shows the window, brings it to the front and makes it key.
    static void orderFront(QWidget* window);
    // The windows a user sees, frontmost first: not the menu bar, the menu or tooltips.
    static std::vector<QWidget*> visibleWindows();
    // The sheet up on a window (a window-modal child window), if any; it stays in front of its window.
    static QWidget* sheet(const QWidget* window);
    // The name a window goes by: its title, or the name it was given when its title is empty.
    static QString name(const QWidget* window);
    static void setName(QWidget* window, const QString& name);
    // Marks a window that is part of the menu bar rather than a window of the application.
    static void setMenuBar(QWidget* window);
    // The part of the screen that windows and menus may cover, as a Mac's visible frame: its available area,
    // less a menu bar of the application's own at its top edge. Menus are kept within it as they open.
    static QRect visibleFrame(const QScreen* screen);
};

} // namespace tallowmere
