#include "widgets/UiDriver.h"

#include "platform/ListingText.h"
#include "widgets/Accessibility.h"
#include "widgets/WindowOrder.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAccessibleValueInterface>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>
#include <QScrollArea>
#include <QScrollBar>
#include <QValidator>

#include <map>

namespace tallowmere {
namespace {

using Result = UiDriver::Result;

Result failed(const QString& message) {
    return {1, "", message.toStdString()};
}

std::string field(const QString& text) {
    return escapeListingField(text.toStdString());
}

// What a person reads on a control: the mnemonic marker removed, "&&" back to "&".
QString plainTitle(QString text) {
    text.replace("&&", QString(QChar(0xE000)));
    text.remove('&');
    text.replace(QChar(0xE000), '&');
    return text;
}

QString name(QAccessibleInterface& node) {
    return node.text(QAccessible::Name);
}

// What a screen reader announces of one object of the accessibility tree, as a line of the dump; nothing for
// what it passes over (groups, pictures, scroll bars).
std::string describe(QAccessibleInterface& node) {
    const QAccessible::State state = node.state();
    const std::string disabled = state.disabled ? " (disabled)" : "";
    switch (node.role()) {
    case QAccessible::CheckBox: {
        std::string line = "toggle: " + field(name(node)) + " = " + (state.checked ? "on" : "off");
        if (QString detail = node.text(QAccessible::Description); !detail.isEmpty())
            line += " (" + field(detail) + ")";
        return line + disabled;
    }
    case QAccessible::Button:
        return "button: " + field(name(node)) + disabled;
    case QAccessible::StaticText:
        return name(node).isEmpty() ? "" : "text: " + field(name(node)) + disabled;
    case QAccessible::Slider:
        return "slider: " + field(name(node)) + " = " + field(node.text(QAccessible::Value)) + disabled;
    case QAccessible::EditableText:
        return "field: " + field(name(node)) + " = " + field(node.text(QAccessible::Value)) + disabled;
    case QAccessible::ProgressBar:
        return "progress: " + field(name(node));
    case QAccessible::List: {
        std::string lines = "list: " + field(name(node)) + disabled;
        for (int i = 0; i < node.childCount(); ++i) {
            QAccessibleInterface* row = node.child(i);
            if (!row || row->state().invisible)
                continue;
            lines += "\n  row: " + std::string(row->state().selected ? "✓ " : "") + field(name(*row));
            if (QString caption = row->text(QAccessible::Description); !caption.isEmpty())
                lines += " [" + field(caption) + "]";
        }
        return lines;
    }
    default:
        return "";
    }
}

// The first control of a window with this role and name, in reading order.
QAccessibleInterface* findControl(QWidget* window, QAccessible::Role role, const QString& wanted) {
    QAccessibleInterface* found = nullptr;
    visitAccessibilityTree(window, [&](QAccessibleInterface& node) {
        if (!found && node.role() == role && name(node) == wanted)
            found = &node;
        return !found;
    });
    return found;
}

bool isSheet(QWidget* window) {
    return window->parentWidget() && WindowOrder::sheet(window->parentWidget()) == window;
}

// The sheet or alert that keeps a window from taking input, if one is up.
QWidget* blocker(QWidget* window) {
    for (QWidget* other : WindowOrder::visibleWindows())
        if (other != window && (other->windowModality() == Qt::ApplicationModal ||
                                (isSheet(other) && other->parentWidget()->window() == window)))
            return other;
    return nullptr;
}

void describeMenu(const QMenu* menu, int depth, std::string& out) {
    const std::string indent(static_cast<size_t>(depth) * 2, ' ');
    for (QAction* action : menu->actions()) {
        if (!action->isVisible())
            continue;
        if (action->isSeparator()) {
            out += indent + "---\n";
            continue;
        }
        out += indent + (action->isChecked() ? "✓ " : "") + field(plainTitle(action->text())) +
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
        QString title = plainTitle(action->text());
        if (title == path && !action->menu())
            return action;
        if (action->menu() && path.startsWith(title + "/"))
            if (QAction* inner = findAction(action->menu(), path.mid(title.size() + 1)))
                return inner;
    }
    return nullptr;
}

// A window as the Mac draws it: rounded corners, a title bar with its three buttons and the title (an alert has
// none), and a sheet that is up hanging from under the title bar.
QImage framed(QWidget* window) {
    const Qt::WindowFlags flags = window->windowFlags();
    const int titleBar = flags.testFlag(Qt::WindowTitleHint) ? 28 : 0;
    const qreal ratio = window->devicePixelRatioF();
    const QPixmap content = window->grab();
    const QSize size(window->width(), window->height() + titleBar);
    QImage image((QSizeF(size) * ratio).toSize(), QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath outline;
    outline.addRoundedRect(QRectF(0.5, 0.5, size.width() - 1, size.height() - 1), 10, 10);
    painter.setClipPath(outline);
    painter.fillRect(QRect(0, 0, size.width(), titleBar), QColor(0xEC, 0xEC, 0xEC));
    painter.drawPixmap(0, titleBar, content);
    if (QWidget* sheet = WindowOrder::sheet(window)) {
        const QRect place(sheet->pos() - window->pos() + QPoint(0, titleBar), sheet->size());
        painter.setPen(Qt::NoPen);
        for (int spread = 1; spread <= 12; ++spread) {
            painter.setBrush(QColor(0, 0, 0, 5));
            painter.drawRoundedRect(place.adjusted(-spread, 0, spread, spread + 2), spread, spread);
        }
        painter.drawPixmap(place.topLeft(), sheet->grab());
    }
    painter.setClipping(false);
    painter.setPen(QColor(0, 0, 0, 40));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(outline);
    if (titleBar == 0)
        return image;
    painter.setPen(QColor(0xD6, 0xD6, 0xD6));
    painter.drawLine(0, titleBar - 1, size.width(), titleBar - 1);
    const QColor lights[] = {QColor(0xFF, 0x5F, 0x57), QColor(0xFE, 0xBC, 0x2E), QColor(0x28, 0xC8, 0x40)};
    const bool present[] = {flags.testFlag(Qt::WindowCloseButtonHint), flags.testFlag(Qt::WindowMinimizeButtonHint),
                            flags.testFlag(Qt::WindowMaximizeButtonHint)};
    for (int i = 0; i < 3; ++i) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(present[i] ? lights[i] : QColor(0xD0, 0xD0, 0xD0));
        painter.drawEllipse(QPointF(14 + i * 20, titleBar / 2.0), 6, 6);
    }
    painter.setPen(QColor(0x4D, 0x4D, 0x4D));
    QFont font = window->font();
    font.setWeight(QFont::DemiBold);
    painter.setFont(font);
    const QRect titleArea(80, 0, size.width() - 160, titleBar);
    painter.drawText(titleArea, Qt::AlignCenter,
                     QFontMetrics(font).elidedText(window->windowTitle(), Qt::ElideRight, titleArea.width()));
    return image;
}

// A window with its scrolling page drawn whole: the window is made as tall as the page for the picture. A body
// that scrolls only on a short screen is pictured as it is there.
QImage wholePage(QWidget* window) {
    // Grown until no page scrolls: a page that has just changed lays itself out again once it has room, and text
    // wraps differently without a scroll bar.
    const QSize minimum = window->minimumSize(), maximum = window->maximumSize(), size = window->size();
    bool grown = false;
    for (int round = 0; round < 4; ++round) {
        QApplication::processEvents();
        int extra = 0;
        for (QScrollArea* area : window->findChildren<QScrollArea*>())
            if (area->isVisible() && area->widget() && !area->property("scrollsOnShortScreens").toBool())
                extra = std::max(extra, area->verticalScrollBar()->maximum());
        if (extra <= 0)
            break;
        window->setFixedSize(window->width(), window->height() + extra);
        grown = true;
    }
    QApplication::processEvents();
    QImage image = framed(window);
    if (grown) {
        window->setMinimumSize(minimum);
        window->setMaximumSize(maximum);
        window->resize(size);
    }
    return image;
}

bool save(const QImage& image, const QString& file, Result& result) {
    if (!image.save(file, "PNG"))
        result = failed("cannot write " + file);
    return result.status == 0;
}

} // namespace

UiDriver::UiDriver(StatusMenu menu)
    : m_menu(std::move(menu)) {}

UiDriver::Result UiDriver::run(const QString& command, const std::vector<QString>& arguments) {
    if (command == "menu")
        return menu();
    if (command == "click" && arguments.size() == 1)
        return click(arguments[0]);
    if (command == "windows")
        return windows();
    if (command == "dump")
        return dump(arguments);
    if (command == "press" && !arguments.empty())
        return press(arguments);
    if (command == "toggle" && arguments.size() >= 2)
        return toggle(arguments);
    if (command == "select" && !arguments.empty())
        return select(arguments);
    if (command == "set" && arguments.size() >= 2)
        return set(arguments);
    if (command == "key" && !arguments.empty())
        return key(arguments);
    if (command == "close")
        return close(arguments);
    if (command == "screenshot" && !arguments.empty())
        return screenshot(arguments);
    return {2, "", "unknown ui command or wrong arguments"};
}

QWidget* UiDriver::window(const QString& name, Result& error) const {
    for (QWidget* candidate : WindowOrder::visibleWindows())
        if (name.isEmpty() || WindowOrder::name(candidate) == name)
            return candidate;
    error = failed(name.isEmpty() ? "no window is open" : "no window \"" + name + "\" is open");
    return nullptr;
}

QWidget* UiDriver::windowTakingInput(const QString& name, Result& error, bool closing) const {
    QWidget* target = window(name, error);
    QWidget* over = target ? blocker(target) : nullptr;
    // Closing a window cancels its own sheet; an alert holds every window.
    if (!over || (closing && isSheet(over)))
        return target;
    error = failed("\"" + WindowOrder::name(target) + "\" is blocked by the " + (isSheet(over) ? "sheet" : "alert") +
                   " \"" + WindowOrder::name(over) + "\"");
    return nullptr;
}

Result UiDriver::menu() {
    Result result;
    describeMenu(m_menu.prepare(), 0, result.output);
    return result;
}

Result UiDriver::click(const QString& path) {
    QAction* action = findAction(m_menu.prepare(), path);
    if (!action)
        return failed("no menu item \"" + path + "\"");
    if (!action->isEnabled())
        return failed("the menu item \"" + path + "\" is disabled");
    action->trigger();
    return {};
}

Result UiDriver::windows() {
    Result result;
    for (QWidget* window : WindowOrder::visibleWindows())
        result.output += field(WindowOrder::name(window)) + "\n";
    return result;
}

Result UiDriver::dump(const std::vector<QString>& arguments) {
    Result result;
    QWidget* target = window(arguments.empty() ? QString() : arguments[0], result);
    if (!target)
        return result;
    visitAccessibilityTree(target, [&](QAccessibleInterface& node) {
        if (std::string line = describe(node); !line.empty())
            result.output += line + "\n";
        return node.role() != QAccessible::List;
    });
    return result;
}

Result UiDriver::press(const std::vector<QString>& arguments) {
    Result result;
    QWidget* target = windowTakingInput(arguments.size() > 1 ? arguments[1] : QString(), result);
    if (!target)
        return result;
    QAccessibleInterface* node = findControl(target, QAccessible::Button, arguments[0]);
    auto* button = node ? qobject_cast<QAbstractButton*>(node->object()) : nullptr;
    if (!button)
        return failed("no button \"" + arguments[0] + "\" in \"" + WindowOrder::name(target) + "\"");
    if (!button->isEnabled())
        return failed("the button \"" + arguments[0] + "\" is disabled");
    button->click();
    return {};
}

Result UiDriver::toggle(const std::vector<QString>& arguments) {
    Result result;
    QWidget* target = windowTakingInput(arguments.size() > 2 ? arguments[2] : QString(), result);
    if (!target)
        return result;
    QAccessibleInterface* node = findControl(target, QAccessible::CheckBox, arguments[0]);
    if (!node)
        return failed("no switch \"" + arguments[0] + "\" in \"" + WindowOrder::name(target) + "\"");
    if (node->state().disabled)
        return failed("the switch \"" + arguments[0] + "\" is disabled");
    if (node->state().checked != (arguments[1] == "on"))
        node->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    return {};
}

Result UiDriver::select(const std::vector<QString>& arguments) {
    Result result;
    QWidget* target = windowTakingInput(arguments.size() > 1 ? arguments[1] : QString(), result);
    if (!target)
        return result;
    QAccessibleInterface* list = nullptr;
    QAccessibleInterface* row = nullptr;
    visitAccessibilityTree(target, [&](QAccessibleInterface& node) {
        if (row)
            return false;
        if (node.role() == QAccessible::List)
            list = &node;
        else if (node.role() == QAccessible::ListItem && name(node) == arguments[0])
            row = &node;
        return true;
    });
    if (!row || !row->tableCellInterface())
        return failed("no row \"" + arguments[0] + "\" in \"" + WindowOrder::name(target) + "\"");
    if (list->state().disabled || row->state().disabled)
        return failed("the row \"" + arguments[0] + "\" is disabled");
    auto* view = qobject_cast<QAbstractItemView*>(list->object());
    view->setCurrentIndex(view->model()->index(row->tableCellInterface()->rowIndex(), 0, view->rootIndex()));
    return {};
}

Result UiDriver::set(const std::vector<QString>& arguments) {
    Result result;
    QWidget* target = windowTakingInput(arguments.size() > 2 ? arguments[2] : QString(), result);
    if (!target)
        return result;
    const QString& name = arguments[0];
    const QString& value = arguments[1];
    if (QAccessibleInterface* slider = findControl(target, QAccessible::Slider, name)) {
        if (slider->state().disabled)
            return failed("the slider \"" + name + "\" is disabled");
        bool ok = false;
        double number = value.toDouble(&ok);
        if (!ok || !std::isfinite(number))
            return {2, "", "a slider takes a number"};
        slider->valueInterface()->setCurrentValue(number);
        return {};
    }
    QAccessibleInterface* node = findControl(target, QAccessible::EditableText, name);
    if (auto* edit = node ? qobject_cast<QLineEdit*>(node->object()) : nullptr) {
        if (!edit->isEnabled() || edit->isReadOnly())
            return failed("the field \"" + name + "\" is disabled");
        // As a person typing: the field's validator has the last word, and leaving it ends the edit.
        QString text = value;
        int position = 0;
        if (!edit->validator() || edit->validator()->validate(text, position) == QValidator::Acceptable) {
            edit->setText(text);
            emit edit->editingFinished();
        }
        return {};
    }
    return failed("no slider or field \"" + name + "\" in \"" + WindowOrder::name(target) + "\"");
}

// A key pressed and let go as on the keyboard: it goes to the control with the keyboard focus, and what has the
// focus then is the answer.
Result UiDriver::key(const std::vector<QString>& arguments) {
    static const std::map<QString, std::pair<Qt::Key, Qt::KeyboardModifiers>> keys = {
        {"Tab", {Qt::Key_Tab, Qt::NoModifier}},       {"Shift+Tab", {Qt::Key_Backtab, Qt::ShiftModifier}},
        {"Space", {Qt::Key_Space, Qt::NoModifier}},   {"Return", {Qt::Key_Return, Qt::NoModifier}},
        {"Escape", {Qt::Key_Escape, Qt::NoModifier}}, {"Up", {Qt::Key_Up, Qt::NoModifier}},
        {"Down", {Qt::Key_Down, Qt::NoModifier}}};
    const auto key = keys.find(arguments[0]);
    if (key == keys.end())
        return {2, "", "a key is Tab, Shift+Tab, Space, Return, Escape, Up or Down"};
    Result result;
    QPointer<QWidget> target = windowTakingInput(arguments.size() > 1 ? arguments[1] : QString(), result);
    if (!target)
        return result;
    const auto [code, modifiers] = key->second;
    const QString text = code == Qt::Key_Space ? QStringLiteral(" ") : QString();
    QPointer<QWidget> receiver = target->focusWidget() ? target->focusWidget() : target.data();
    for (QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
        QKeyEvent event(type, code, modifiers, text);
        if (receiver)
            QApplication::sendEvent(receiver, &event);
    }
    if (target && target->isVisible() && target->focusWidget())
        visitAccessibilityTree(target, [&](QAccessibleInterface& node) {
            if (node.object() == target->focusWidget())
                result.output = describe(node) + "\n";
            return result.output.empty();
        });
    return result;
}

Result UiDriver::close(const std::vector<QString>& arguments) {
    Result result;
    QWidget* target = windowTakingInput(arguments.empty() ? QString() : arguments[0], result, true);
    if (!target)
        return result;
    target->close();
    return {};
}

Result UiDriver::screenshot(const std::vector<QString>& arguments) {
    Result result;
    const QString& file = arguments[0];
    if (arguments.size() < 2 || arguments[1] != "--menu") {
        QWidget* target = window(arguments.size() > 1 ? arguments[1] : QString(), result);
        // A sheet is part of its window: its picture is the window's, with the sheet on it.
        if (target && isSheet(target))
            target = target->parentWidget()->window();
        if (target)
            save(wholePage(target), file, result);
        return result;
    }

    QMenu* menu = m_menu.prepare();
    menu->popup(m_menu.anchor());
    QMenu* submenu = nullptr;
    if (arguments.size() > 2) {
        QAction* opener = nullptr;
        for (QAction* action : menu->actions())
            if (action->menu() && plainTitle(action->text()) == arguments[2])
                opener = action;
        if (!opener) {
            menu->hide();
            return failed("no submenu \"" + arguments[2] + "\"");
        }
        // Opened from the keyboard, it opens where QMenu puts it for a pointer too; no row of it is chosen yet.
        menu->setActiveAction(opener);
        QKeyEvent right(QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier);
        QApplication::sendEvent(menu, &right);
        submenu = opener->menu();
        submenu->setActiveAction(nullptr);
    }
    QApplication::processEvents();

    // The menu bar, the menu and the open submenu, where they are on the screen.
    std::vector<QWidget*> parts = {menu};
    if (QWidget* bar = m_menu.menuBar ? m_menu.menuBar() : nullptr)
        parts.insert(parts.begin(), bar);
    if (submenu)
        parts.push_back(submenu);
    // The menus whole, and of a wide menu bar only the stretch above them, where the status icon is.
    QRect bounds = menu->frameGeometry();
    if (submenu)
        bounds |= submenu->frameGeometry();
    bounds.adjust(-16, 0, 16, 16);
    if (parts.front() != menu)
        bounds.setTop(parts.front()->frameGeometry().top());
    const qreal ratio = menu->devicePixelRatioF();
    QImage image((QSizeF(bounds.size()) * ratio).toSize(), QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(QColor(0xDD, 0xE3, 0xEA));
    QPainter painter(&image);
    for (QWidget* part : parts)
        painter.drawPixmap(part->frameGeometry().topLeft() - bounds.topLeft(), part->grab());
    painter.end();
    if (submenu)
        submenu->hide();
    menu->hide();
    save(image, file, result);
    return result;
}

} // namespace tallowmere
