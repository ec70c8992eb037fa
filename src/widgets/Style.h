#pragma once

#include <QColor>
#include <QIcon>
#include <QString>

class QApplication;
class QFrame;
class QLabel;
class QLayout;
class QPushButton;
class QWidget;

namespace tallowmere {

// The accent colour of every window and of the active status icon.
inline const QColor accentColor(0x00, 0x7A, 0xFF);
// Around the control that has the keyboard focus (the style sheet's text fields use the same).
inline const QColor focusRingColor(0x7A, 0xB8, 0xFF);

// Loads the one style sheet and the 13-pixel system font for the whole application.
void applyStyle(QApplication& application);

// A symbol from the compiled-in icon set ("moon.zzz", "gearshape", …). Monochrome symbols are tinted with
// `tint` (by default the palette's text colour, so they read on light and dark backgrounds); the two-colour
// ones keep their own colours.
QIcon symbolIcon(const QString& name, const QColor& tint = {});
QPixmap symbolPixmap(const QString& name, int size, qreal devicePixelRatio, const QColor& tint = {});

// Chooses one of the looks of the style sheet (a text style, a button style, "card", …).
void setRole(QWidget* widget, const char* role);
QLabel* makeLabel(const QString& text, const char* role = nullptr, bool wrap = false);
QPushButton* makeButton(const QString& title, const char* role = nullptr);
// A hairline between rows of a card ("separator"), between the parts of a window ("divider"), or beside
// the settings sidebar ("verticalDivider").
QFrame* makeSeparator(const char* role = "separator");

} // namespace tallowmere
