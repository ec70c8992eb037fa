#include "windows/PermissionPromptWindow.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QVBoxLayout>

namespace tallowmere {

PermissionPromptWindow::PermissionPromptWindow(const PermissionPrompt& prompt)
    : QWidget(nullptr, Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::WindowMinimizeButtonHint) {
    setWindowTitle(QString::fromStdString(prompt.title));
    setAttribute(Qt::WA_DeleteOnClose, false);

    auto* title = new QLabel(QString::fromStdString(prompt.title));
    QFont heading = title->font();
    heading.setPointSizeF(heading.pointSizeF() * 1.25);
    heading.setWeight(QFont::DemiBold);
    title->setFont(heading);
    title->setTextFormat(Qt::PlainText);

    auto* message = new QLabel(QString::fromStdString(prompt.message));
    message->setTextFormat(Qt::PlainText);
    message->setWordWrap(true);
    message->setForegroundRole(QPalette::PlaceholderText);

    auto* secondary = new QPushButton(QString::fromStdString(prompt.secondaryTitle));
    auto* primary = new QPushButton(QString::fromStdString(prompt.primaryTitle));
    primary->setDefault(true);
    connect(secondary, &QPushButton::clicked, this, [action = prompt.secondaryAction] {
        if (action)
            action();
    });
    connect(primary, &QPushButton::clicked, this, [action = prompt.primaryAction] {
        if (action)
            action();
    });

    auto* texts = new QVBoxLayout;
    texts->setSpacing(8);
    texts->addWidget(title);
    texts->addWidget(message);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(secondary);
    buttons->addWidget(primary);
    auto* column = new QVBoxLayout(this);
    column->setSpacing(16);
    column->setContentsMargins(20, 20, 20, 20);
    column->addLayout(texts);
    column->addLayout(buttons);

    setMinimumWidth(420);
    adjustSize();
    setFixedSize(sizeHint().expandedTo(QSize(420, 0)));
    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void PermissionPromptWindow::makeKeyAndOrderFront() {
    show();
    // Drawing off screen (no display) there is no stacking order to change.
    if (QGuiApplication::platformName() != "offscreen") {
        raise();
        activateWindow();
    }
}

void PermissionPromptWindow::close() {
    hide();
}

} // namespace tallowmere
