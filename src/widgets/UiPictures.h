#pragma once

#include <QImage>

class QMenu;
class QWidget;

namespace tallowmere::UiPictures {

// A window as the Mac draws it, with its scrolling page drawn whole (the window is made as tall as the page for
// the picture); a body that scrolls only on a short screen is pictured as it is there.
QImage window(QWidget* window);

// The open menu and submenu (may be null) where they are on the screen, under the menu bar (may be null).
QImage menus(QWidget* menuBar, QMenu* menu, QMenu* submenu);

} // namespace tallowmere::UiPictures
