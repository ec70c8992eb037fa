#include "widgets/UiDriver.h"

#include "platform/ListingText.h"
#include "widgets/Accessibility.h"
#include "widgets/UiPictures.h"
#include "widgets/WindowOrder.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAccessibleValueInterface>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPointer>
#include <QValidator>

#include <map>

namespace tallowmere {
namespace {

using Result = UiDriver::Result;

std::string field(const QString& text) {
    return escapeListingField(text.toStdString());
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

} // namespace

UiDriver::UiDriver(StatusMenu menu)
    : m_menu(std::move(menu)) {}

UiDriver::Result UiDriver::run(const QString& command, const std::vector<QString>& arguments) {
    if (command == "menu")
        return m_menu.list();
    if (command == "click" && arguments.size() == 1)
        return m_menu.click(arguments[0]);
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
    error = UiResult::failed(name.isEmpty() ? "no window is open" : "no window \"" + name + "\" is open");
    return nullptr;
}

QWidget* UiDriver::windowTakingInput(const QString& name, Result& error, bool closing) const {
    QWidget* target = window(name, error);
    QWidget* over = target ? blocker(target) : nullptr;
    // Closing a window cancels its own sheet; an alert holds every window.
    if (!over || (closing && isSheet(over)))
        return target;
    error = UiResult::failed("\"" + WindowOrder::name(target) + "\" is blocked by the " +
                             (isSheet(over) ? "sheet" : "alert") + " \"" + WindowOrder::name(over) + "\"");
    return nullptr;
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
        return UiResult::failed("no button \"" + arguments[0] + "\" in \"" + WindowOrder::name(target) + "\"");
    if (!button->isEnabled())
        return UiResult::failed("the button \"" + arguments[0] + "\" is disabled");
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
        return UiResult::failed("no switch \"" + arguments[0] + "\" in \"" + WindowOrder::name(target) + "\"");
    if (node->state().disabled)
        return UiResult::failed("the switch \"" + arguments[0] + "\" is disabled");
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
        return UiResult::failed("no row \"" + arguments[0] + "\" in \"" + WindowOrder::name(target) + "\"");
    if (list->state().disabled || row->state().disabled)
        return UiResult::failed("the row \"" + arguments[0] + "\" is disabled");
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
            return UiResult::failed("the slider \"" + name + "\" is disabled");
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
            return UiResult::failed("the field \"" + name + "\" is disabled");
        // As a person typing: the field's validator has the last word, and leaving it ends the edit.
        QString text = value;
        int position = 0;
        if (!edit->validator() || edit->validator()->validate(text, position) == QValidator::Acceptable) {
            edit->setText(text);
            emit edit->editingFinished();
        }
        return {};
    }
    return UiResult::failed("no slider or field \"" + name + "\" in \"" + WindowOrder::name(target) + "\"");
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
        if (target && !UiPictures::window(target).save(file, "PNG"))
            return UiResult::failed("cannot write " + file);
        return result;
    }
    return m_menu.screenshot(file, arguments.size() > 2 ? std::optional(arguments[2]) : std::nullopt);
}

} // namespace tallowmere
