#include "widgets/UiMenuDriver.h"

#include "widgets/UiPictures.h"

#include "platform/ListingText.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMenu>

#include <vector>

namespace tallowmere {
namespace {

void describeMenu(const QMenu* menu, int depth, std::string& out) {
    const std::string indent(static_cast<size_t>(depth) * 2, ' ');
    for (QAction* action : menu->actions()) {
        if (!action->isVisible())
            continue;
        if (action->isSeparator()) {
            out += indent + "---\n";
            continue;
        }
        out += indent + (action->isChecked() ? "✓ " : "") +
               escapeListingField(UiMenuDriver::plainTitle(action->text()).toStdString()) +
               (action->isEnabled() ? "" : " (disabled)") + "\n";
        if (action->menu())
            describeMenu(action->menu(), depth + 1, out);
    }
}

// "SUBMENU/TITLE" or "TITLE"; a title may itself hold a slash, so every way of splitting is tried.
QAction* findAction(const QMenu* menu, const QString& path) {
    for (QAction* action : menu->actions()) {
        if (action->isSeparator() || !action->isVisible())
            continue;
        QString title = UiMenuDriver::plainTitle(action->text());
        if (title == path && !action->menu())
            return action;
        if (action->menu() && path.startsWith(title + "/"))
            if (QAction* inner = findAction(action->menu(), path.mid(title.size() + 1)))
                return inner;
    }
    return nullptr;
}

} // namespace

UiMenuDriver::UiMenuDriver(StatusMenu menu)
    : m_menu(std::move(menu)) {}

QString UiMenuDriver::plainTitle(QString text) {
    text.replace("&&", QString(QChar(0xE000)));
    text.remove('&');
    text.replace(QChar(0xE000), '&');
    return text;
}

UiResult UiMenuDriver::list() {
    UiResult result;
    describeMenu(m_menu.prepare(), 0, result.output);
    return result;
}

UiResult UiMenuDriver::click(const QString& path) {
    QAction* action = findAction(m_menu.prepare(), path);
    if (!action)
        return UiResult::failed("no menu item \"" + path + "\"");
    if (!action->isEnabled())
        return UiResult::failed("the menu item \"" + path + "\" is disabled");
    action->trigger();
    return {};
}

UiResult UiMenuDriver::screenshot(const QString& file, const std::optional<QString>& submenuTitle) {
    QMenu* menu = m_menu.prepare();
    menu->popup(m_menu.anchor());
    QMenu* submenu = nullptr;
    if (submenuTitle) {
        QAction* opener = nullptr;
        for (QAction* action : menu->actions())
            if (action->menu() && plainTitle(action->text()) == *submenuTitle)
                opener = action;
        if (!opener) {
            menu->hide();
            return UiResult::failed("no submenu \"" + *submenuTitle + "\"");
        }
        // Opened from the keyboard, it opens where QMenu puts it for a pointer too; no row of it is chosen yet.
        menu->setActiveAction(opener);
        QKeyEvent right(QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier);
        QApplication::sendEvent(menu, &right);
        submenu = opener->menu();
        submenu->setActiveAction(nullptr);
    }
    QApplication::processEvents();

    const QImage image = UiPictures::menus(m_menu.menuBar ? m_menu.menuBar() : nullptr, menu, submenu);
    if (submenu)
        submenu->hide();
    menu->hide();
    if (!image.save(file, "PNG"))
        return UiResult::failed("cannot write " + file);
    return {};
}

} // namespace tallowmere
