#pragma once

#include "app/WindowFactory.h"

#include <QWidget>

namespace tallowmere {

// The Full Disk Access prompt: a heading, a message, and two buttons at the right, the primary one prominent.
// Closing it with the title bar only hides it.
class PermissionPromptWindow : public QWidget, public AppWindow {
    Q_OBJECT

public:
    explicit PermissionPromptWindow(const PermissionPrompt& prompt);

    void makeKeyAndOrderFront() override;
    void close() override;
};

} // namespace tallowmere
