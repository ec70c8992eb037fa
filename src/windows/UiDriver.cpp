#include "windows/UiDriver.h"

#include "platform/ListingText.h"
#include "windows/Controls.h"
#include "windows/WindowOrder.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QScrollArea>
#include <QSlider>
#include <QValidator>

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

QString buttonTitle(const QAbstractButton* button) {
    QString title = plainTitle(button->text());
    return title.isEmpty() ? button->accessibleName() : title;
}

// Sliders may stand for fractional values: "valueScale" steps make one unit.
double sliderValue(const QSlider* slider) {
    double scale = slider->property("valueScale").isValid() ? slider->property("valueScale").toDouble() : 1.0;
    return slider->value() / scale;
}

QString number(double value) {
    return QString::number(value, 'g', 10);
}

// The widgets of a window in the order a person reads them: depth first, in layout order, visible ones only.
void collect(QWidget* widget, QWidget* window, std::vector<QWidget*>& widgets) {
    for (QObject* child : widget->children()) {
        auto* childWidget = qobject_cast<QWidget*>(child);
        if (!childWidget || childWidget->isWindow() || !childWidget->isVisibleTo(window))
            continue;
        widgets.push_back(childWidget);
        // A list's rows are items, a slider or a button has no readable inside.
        if (!qobject_cast<QListWidget*>(childWidget) && !qobject_cast<QAbstractButton*>(childWidget) &&
            !qobject_cast<QSlider*>(childWidget) && !qobject_cast<QLineEdit*>(childWidget))
            collect(childWidget, window, widgets);
    }
}

std::vector<QWidget*> walk(QWidget* window) {
    std::vector<QWidget*> widgets;
    collect(window, window, widgets);
    return widgets;
}

template <class T, class Match> T* find(QWidget* window, Match matches) {
    for (QWidget* widget : walk(window))
        if (auto* control = qobject_cast<T*>(widget); control && matches(control))
            return control;
    return nullptr;
}

std::string describe(QWidget* widget) {
    std::string disabled = widget->isEnabled() ? "" : " (disabled)";
    if (auto* row = qobject_cast<ToggleRow*>(widget)) {
        std::string line = "toggle: " + field(buttonTitle(row)) + " = " + (row->isChecked() ? "on" : "off");
        if (!row->subtitle().isEmpty())
            line += " (" + field(row->subtitle()) + ")";
        return line + disabled;
    }
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        if (button->isCheckable())
            return "toggle: " + field(buttonTitle(button)) + " = " + (button->isChecked() ? "on" : "off") + disabled;
        return "button: " + field(buttonTitle(button)) + disabled;
    }
    if (auto* label = qobject_cast<QLabel*>(widget))
        return label->text().isEmpty() ? "" : "text: " + field(label->text()) + disabled;
    if (auto* slider = qobject_cast<QSlider*>(widget))
        return "slider: " + field(slider->accessibleName()) + " = " + number(sliderValue(slider)).toStdString() +
               disabled;
    if (auto* edit = qobject_cast<QLineEdit*>(widget))
        return "field: " + field(edit->accessibleName()) + " = " + field(edit->text()) + disabled;
    if (qobject_cast<BusyIndicator*>(widget))
        return "progress: " + field(widget->accessibleName());
    if (auto* list = qobject_cast<QListWidget*>(widget)) {
        std::string lines = "list: " + field(list->accessibleName()) + disabled;
        for (int i = 0; i < list->count(); ++i) {
            QListWidgetItem* item = list->item(i);
            if (item->isHidden())
                continue;
            lines += "\n  row: " + std::string(item->isSelected() ? "✓ " : "") + field(item->text());
            if (QString caption = item->data(rowCaptionRole).toString(); !caption.isEmpty())
                lines += " [" + field(caption) + "]";
        }
        return lines;
    }
    return "";
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

// A window as the Mac draws it: rounded corners, a title bar with its three buttons and the title.
QImage framed(QWidget* window) {
    constexpr int titleBar = 28;
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
    painter.setClipping(false);
    painter.setPen(QColor(0, 0, 0, 40));
    painter.drawPath(outline);
    painter.setPen(QColor(0xD6, 0xD6, 0xD6));
    painter.drawLine(0, titleBar - 1, size.width(), titleBar - 1);
    const Qt::WindowFlags flags = window->windowFlags();
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
    painter.drawText(QRect(80, 0, size.width() - 160, titleBar), Qt::AlignCenter, window->windowTitle());
    return image;
}

// A window with its scrolling page drawn whole: the window is made as tall as the page for the picture. A body
// that scrolls only on a short screen is pictured as it is there.
QImage wholePage(QWidget* window) {
    int extra = 0;
    for (QScrollArea* area : window->findChildren<QScrollArea*>()) {
        QWidget* page = area->widget();
        if (!area->isVisible() || !page || area->property("scrollsOnShortScreens").toBool())
            continue;
        int width = area->viewport()->width();
        int height = page->hasHeightForWidth() ? page->heightForWidth(width) : page->sizeHint().height();
        extra = std::max(extra, height - area->viewport()->height());
    }
    if (extra <= 0)
        return framed(window);
    const QSize minimum = window->minimumSize(), maximum = window->maximumSize(), size = window->size();
    window->setFixedSize(size.width(), size.height() + extra);
    QApplication::processEvents();
    QImage image = framed(window);
    window->setMinimumSize(minimum);
    window->setMaximumSize(maximum);
    window->resize(size);
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
    for (QWidget* widget : walk(target))
        if (std::string line = describe(widget); !line.empty())
            result.output += line + "\n";
    return result;
}

Result UiDriver::press(const std::vector<QString>& arguments) {
    Result result;
    QWidget* target = window(arguments.size() > 1 ? arguments[1] : QString(), result);
    if (!target)
        return result;
    auto* button = find<QAbstractButton>(
        target, [&](QAbstractButton* b) { return !b->isCheckable() && buttonTitle(b) == arguments[0]; });
    if (!button)
        return failed("no button \"" + arguments[0] + "\" in \"" + WindowOrder::name(target) + "\"");
    if (!button->isEnabled())
        return failed("the button \"" + arguments[0] + "\" is disabled");
    button->click();
    return {};
}

Result UiDriver::toggle(const std::vector<QString>& arguments) {
    Result result;
    QWidget* target = window(arguments.size() > 2 ? arguments[2] : QString(), result);
    if (!target)
        return result;
    auto* button = find<QAbstractButton>(
        target, [&](QAbstractButton* b) { return b->isCheckable() && buttonTitle(b) == arguments[0]; });
    if (!button)
        return failed("no switch \"" + arguments[0] + "\" in \"" + WindowOrder::name(target) + "\"");
    if (!button->isEnabled())
        return failed("the switch \"" + arguments[0] + "\" is disabled");
    if (button->isChecked() != (arguments[1] == "on"))
        button->click();
    return {};
}

Result UiDriver::select(const std::vector<QString>& arguments) {
    Result result;
    QWidget* target = window(arguments.size() > 1 ? arguments[1] : QString(), result);
    if (!target)
        return result;
    for (QWidget* widget : walk(target)) {
        auto* list = qobject_cast<QListWidget*>(widget);
        if (!list)
            continue;
        for (int i = 0; i < list->count(); ++i) {
            QListWidgetItem* item = list->item(i);
            if (item->isHidden() || item->text() != arguments[0])
                continue;
            if (!list->isEnabled() || !(item->flags() & Qt::ItemIsEnabled))
                return failed("the row \"" + arguments[0] + "\" is disabled");
            list->setCurrentItem(item);
            return {};
        }
    }
    return failed("no row \"" + arguments[0] + "\" in \"" + WindowOrder::name(target) + "\"");
}

Result UiDriver::set(const std::vector<QString>& arguments) {
    Result result;
    QWidget* target = window(arguments.size() > 2 ? arguments[2] : QString(), result);
    if (!target)
        return result;
    const QString& name = arguments[0];
    const QString& value = arguments[1];
    if (auto* slider = find<QSlider>(target, [&](QSlider* s) { return s->accessibleName() == name; })) {
        if (!slider->isEnabled())
            return failed("the slider \"" + name + "\" is disabled");
        bool ok = false;
        double number = value.toDouble(&ok);
        if (!ok || !std::isfinite(number))
            return {2, "", "a slider takes a number"};
        double scale = slider->property("valueScale").isValid() ? slider->property("valueScale").toDouble() : 1.0;
        slider->setSliderDown(true);
        slider->setValue(static_cast<int>(std::lround(std::clamp(number * scale, -1e9, 1e9))));
        slider->setSliderDown(false);
        return {};
    }
    if (auto* edit = find<QLineEdit>(target, [&](QLineEdit* e) { return e->accessibleName() == name; })) {
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

Result UiDriver::close(const std::vector<QString>& arguments) {
    Result result;
    QWidget* target = window(arguments.empty() ? QString() : arguments[0], result);
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
        menu->setActiveAction(opener);
        submenu = opener->menu();
        // Beside its row, on the side where the screen has room, as a person would see it open.
        const QRect row = menu->actionGeometry(opener);
        const QRect screen = menu->screen()->availableGeometry();
        QPoint position = menu->mapToGlobal(QPoint(menu->width() - 4, row.top() - 6));
        if (position.x() + submenu->sizeHint().width() > screen.right())
            position.setX(menu->mapToGlobal(QPoint(0, 0)).x() - submenu->sizeHint().width() + 4);
        submenu->popup(position);
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
