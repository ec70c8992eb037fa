#pragma once

#include "widgets/UiMenuDriver.h"

#include <QString>

#include <vector>

class QWidget;

namespace tallowmere {

// Answers `macsim ui …` as a person sees and uses the application: the status menu's actions, and for windows
// their accessibility tree, which is what a screen reader announces (texts, buttons, switches, sliders, text
// fields, lists and progress indicators). Controls are found by their accessible name; acting on one does what a
// click, a typed value or a key would. A window under a sheet or an alert takes no input. Main thread only.
class UiDriver {
public:
    using StatusMenu = UiMenuDriver::StatusMenu;
    using Result = UiResult;

    explicit UiDriver(StatusMenu menu);

    Result run(const QString& command, const std::vector<QString>& arguments);

private:
    Result windows();
    Result dump(const std::vector<QString>& arguments);
    Result press(const std::vector<QString>& arguments);
    Result toggle(const std::vector<QString>& arguments);
    Result select(const std::vector<QString>& arguments);
    Result set(const std::vector<QString>& arguments);
    Result key(const std::vector<QString>& arguments);
    Result close(const std::vector<QString>& arguments);
    Result screenshot(const std::vector<QString>& arguments);

    // The named window, or the frontmost one when `name` is empty; null with `error` set when there is none.
    QWidget* window(const QString& name, Result& error) const;
    // The same, when no sheet or alert is up over it (a sheet of its own allowed for `closing` it).
    QWidget* windowTakingInput(const QString& name, Result& error, bool closing = false) const;

    UiMenuDriver m_menu;
};

} // namespace tallowmere
