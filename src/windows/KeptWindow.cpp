#include "windows/KeptWindow.h"

#include "windows/WindowOrder.h"

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

} // namespace tallowmere
