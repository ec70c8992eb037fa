#pragma once

#include "widgets/KeptWindow.h"

namespace tallowmere {

// The Full Disk Access prompt: a heading, a message, and two buttons at the right, the primary one prominent.
// Closing it with the title bar only hides it.
class PermissionPromptWindow : public KeptWindow {
    Q_OBJECT

public:
    explicit PermissionPromptWindow(const PermissionPrompt& prompt);
};

} // namespace tallowmere
