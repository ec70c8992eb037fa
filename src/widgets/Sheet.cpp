#include "widgets/Sheet.h"

#include "widgets/Accessibility.h"
#include "widgets/Style.h"

#include <QEvent>

namespace tallowmere {

Sheet::Sheet(QWidget* window, const QString& title)
    : QDialog(window, Qt::Sheet | Qt::FramelessWindowHint) {
    setWindowTitle(title);
    setWindowModality(Qt::WindowModal);
    setAttribute(Qt::WA_StyledBackground);
    setRole(this, "sheet");
    window->installEventFilter(this);
}

bool Sheet::eventFilter(QObject* watched, QEvent* event) {
    if (watched == parent()) {
        if (event->type() == QEvent::Move || event->type() == QEvent::Resize)
            place();
        // A closed window takes its sheet with it, as Cancel would (a minimised one keeps it).
        else if (event->type() == QEvent::Hide && !event->spontaneous() && isVisible())
            reject();
    }
    return QDialog::eventFilter(watched, event);
}

void Sheet::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    place();
    if (!focusWidget())
        focusNextPrevChild(true);
}

bool Sheet::focusNextPrevChild(bool next) {
    return focusNextInReadingOrder(this, next);
}

// Centred on the window, its top edge against the bottom of the title bar.
void Sheet::place() {
    const QRect frame = parentWidget()->geometry();
    move(frame.x() + (frame.width() - width()) / 2, frame.y());
}

} // namespace tallowmere
