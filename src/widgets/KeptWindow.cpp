#include "widgets/KeptWindow.h"

#include "widgets/Accessibility.h"
#include "widgets/WindowOrder.h"

#include <QKeyEvent>
#include <QPushButton>

namespace tallowmere {

KeptWindow::KeptWindow(Qt::WindowFlags buttons)
    : QWidget(nullptr, Qt::Window | Qt::WindowTitleHint | buttons) {
    setAttribute(Qt::WA_DeleteOnClose, false);
    setObjectName("windowBackground");
    setAttribute(Qt::WA_StyledBackground);
}

void KeptWindow::makeKeyAndOrderFront() {
    WindowOrder::orderFront(this);
}

void KeptWindow::close() {
    hide();
}

void KeptWindow::setDefaultButton(QPushButton* button) {
    m_defaultButton = button;
}

// Keys the focused control left alone.
void KeptWindow::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (m_defaultButton && m_defaultButton->isVisible() && m_defaultButton->isEnabled())
            m_defaultButton->click();
        return;
    case Qt::Key_Escape:
        close();
        return;
    default:
        QWidget::keyPressEvent(event);
    }
}

bool KeptWindow::focusNextPrevChild(bool next) {
    return focusNextInReadingOrder(this, next);
}

} // namespace tallowmere
