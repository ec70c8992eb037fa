#include "widgets/WindowOrder.h"

#include <QApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace tallowmere {
namespace {

constexpr const char* orderProperty = "tallowmereWindowOrder";
constexpr const char* nameProperty = "tallowmereWindowName";
constexpr const char* menuBarProperty = "tallowmereMenuBar";

qint64 nextOrder = 0;

// A window's sheet stays in front of it.
void noteFront(QWidget* window) {
    window->setProperty(orderProperty, ++nextOrder);
    if (QWidget* sheet = WindowOrder::sheet(window))
        noteFront(sheet);
}

// A menu long enough to reach the top of the screen scrolls below the menu bar instead of covering it.
void keepBelowMenuBar(QMenu* menu) {
    const QRect frame = WindowOrder::visibleFrame(menu->screen());
    QRect geometry = menu->geometry();
    if (geometry.top() >= frame.top())
        return;
    geometry.moveTop(frame.top());
    menu->setGeometry(geometry.intersected(frame));
}

class ShowWatcher : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show || event->type() == QEvent::WindowActivate) {
            auto* widget = qobject_cast<QWidget*>(watched);
            if (widget && widget->isWindow())
                noteFront(widget);
        }
        // A submenu is placed as it opens, and placed again when its row becomes the active one.
        if (auto* menu = qobject_cast<QMenu*>(watched); menu && menu->isWindow())
            if (event->type() == QEvent::Show || (event->type() == QEvent::Move && menu->isVisible()))
                keepBelowMenuBar(menu);
        return false;
    }
};

} // namespace

void WindowOrder::track(QApplication& application) {
    application.installEventFilter(new ShowWatcher(&application));
}

void WindowOrder::orderFront(QWidget* window) {
    window->show();
    // Off screen there is no window server to raise or focus anything.
    if (QGuiApplication::platformName() != "offscreen") {
        window->raise();
        // A sheet that is up stays over its window and keeps the keyboard.
        QWidget* sheet = WindowOrder::sheet(window);
        if (sheet)
            sheet->raise();
        (sheet ? sheet : window)->activateWindow();
    }
    noteFront(window);
}

std::vector<QWidget*> WindowOrder::visibleWindows() {
    std::vector<QWidget*> windows;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (!widget->isVisible() || widget->property(menuBarProperty).toBool())
            continue;
        Qt::WindowType type = widget->windowType();
        if (type == Qt::Popup || type == Qt::ToolTip || type == Qt::Desktop)
            continue;
        windows.push_back(widget);
    }
    std::stable_sort(windows.begin(), windows.end(), [](QWidget* a, QWidget* b) {
        return a->property(orderProperty).toLongLong() > b->property(orderProperty).toLongLong();
    });
    return windows;
}

QWidget* WindowOrder::sheet(const QWidget* window) {
    for (QObject* child : window->children())
        if (auto* sheet = qobject_cast<QWidget*>(child);
            sheet && sheet->isWindow() && sheet->isVisible() && sheet->windowModality() == Qt::WindowModal)
            return sheet;
    return nullptr;
}

QString WindowOrder::name(const QWidget* window) {
    QString title = window->windowTitle();
    return title.isEmpty() ? window->property(nameProperty).toString() : title;
}

void WindowOrder::setName(QWidget* window, const QString& name) {
    window->setProperty(nameProperty, name);
}

void WindowOrder::setMenuBar(QWidget* window) {
    window->setProperty(menuBarProperty, true);
}

QRect WindowOrder::visibleFrame(const QScreen* screen) {
    QRect frame = screen->availableGeometry();
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        const QRect bar = widget->geometry();
        if (widget->isVisible() && widget->property(menuBarProperty).toBool() && bar.top() <= frame.top() &&
            bar.intersects(frame))
            frame.setTop(bar.bottom() + 1);
    }
    return frame;
}

} // namespace tallowmere
