#pragma once

#include <functional>

class QAccessibleInterface;
class QWidget;

namespace tallowmere {

// Teaches the accessibility tree the controls we draw ourselves, so a screen reader announces them as the
// system's own: a switch row is a check box with its state and its full title, the spinning indicator a busy
// progress indicator, a slider over fractional values reads and takes the number itself, and a label its text as
// it stands ("&" included). Call once, after the application object exists.
void installAccessibility();

// Goes through a window's accessibility tree in reading order (depth first), leaving out what is not shown.
// `visit` answers whether to go on into the children of the object it was given.
void visitAccessibilityTree(QWidget* window, const std::function<bool(QAccessibleInterface&)>& visit);

// Moves the keyboard focus to the next (or previous) control that takes it, in the tree's reading order, round
// the window. False when the window has none.
bool focusNextInReadingOrder(QWidget* window, bool forward);

} // namespace tallowmere
