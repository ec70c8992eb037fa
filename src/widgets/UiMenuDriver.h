#pragma once

#include <QPoint>
#include <QString>

#include <functional>
#include <optional>
#include <string>

class QMenu;
class QWidget;

namespace tallowmere {

// The answer to one `macsim ui` command: its exit status and what it prints.
struct UiResult {
    int status = 0;
    std::string output;
    std::string error;

    static UiResult failed(const QString& message) { return {1, "", message.toStdString()}; }
};

// `macsim ui` for the status menu: lists it as a person reads it, chooses an item, and pictures it open.
class UiMenuDriver {
public:
    struct StatusMenu {
        // Rebuilds the menu as it does when it comes on screen, and returns it.
        std::function<QMenu*()> prepare;
        // Where the menu opens (under the status icon), and the menu bar to draw above it in pictures.
        std::function<QPoint()> anchor;
        std::function<QWidget*()> menuBar;
    };

    explicit UiMenuDriver(StatusMenu menu);

    // One item a line, submenus indented.
    UiResult list();
    // "SUBMENU/TITLE" or "TITLE".
    UiResult click(const QString& path);
    // The menu open, with the submenu of that title open beside it.
    UiResult screenshot(const QString& file, const std::optional<QString>& submenu);

    // What a person reads on a control: the mnemonic marker removed, "&&" back to "&".
    static QString plainTitle(QString text);

private:
    StatusMenu m_menu;
};

} // namespace tallowmere
