#include "widgets/UiPictures.h"

#include "widgets/WindowOrder.h"

#include <QApplication>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QScrollArea>
#include <QScrollBar>

#include <algorithm>
#include <vector>

namespace tallowmere::UiPictures {
namespace {

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

} // namespace

QImage window(QWidget* window) {
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

QImage menus(QWidget* menuBar, QMenu* menu, QMenu* submenu) {
    // The menu bar, the menu and the open submenu, where they are on the screen.
    std::vector<QWidget*> parts = {menu};
    if (menuBar)
        parts.insert(parts.begin(), menuBar);
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
    return image;
}

} // namespace tallowmere::UiPictures
