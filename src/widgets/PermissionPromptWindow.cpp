#include "widgets/PermissionPromptWindow.h"

#include "widgets/Style.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include <algorithm>

namespace tallowmere {

PermissionPromptWindow::PermissionPromptWindow(const PermissionPrompt& prompt)
    : KeptWindow(Qt::WindowCloseButtonHint | Qt::WindowMinimizeButtonHint) {
    setWindowTitle(QString::fromStdString(prompt.title));

    QLabel* title = makeLabel(QString::fromStdString(prompt.title), "title3", true);
    QLabel* message = makeLabel(QString::fromStdString(prompt.message), "secondary", true);
    QPushButton* secondary = makeButton(QString::fromStdString(prompt.secondaryTitle));
    QPushButton* primary = makeButton(QString::fromStdString(prompt.primaryTitle), "prominent");
    setDefaultButton(primary);
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

    // As narrow as the buttons allow, never under 420 points: a long message wraps rather than widening it.
    const int width = std::max(420, layout()->minimumSize().width());
    setFixedSize(width, layout()->hasHeightForWidth() ? layout()->heightForWidth(width) : sizeHint().height());
    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

} // namespace tallowmere
