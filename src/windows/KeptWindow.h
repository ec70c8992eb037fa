#pragma once

#include "app/WindowFactory.h"

#include <QWidget>

namespace tallowmere {

// A window the application delegate keeps: ordering it front shows it in front, closing it only hides it.
class KeptWindow : public QWidget, public AppWindow {
    Q_OBJECT

public:
    explicit KeptWindow(Qt::WindowFlags buttons);

    void makeKeyAndOrderFront() override;
    void close() override;
};

} // namespace tallowmere
