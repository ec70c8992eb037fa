#pragma once

#include "app/WindowFactory.h"

#include <QPointer>
#include <QWidget>

class QPushButton;

namespace tallowmere {

// A window the application delegate keeps: ordering it front shows it in front, closing it only hides it. From
// the keyboard, Tab goes through its controls in reading order, Return presses its default button and Escape
// closes it.
class KeptWindow : public QWidget, public AppWindow {
    Q_OBJECT

public:
    explicit KeptWindow(Qt::WindowFlags buttons);

    void makeKeyAndOrderFront() override;
    void close() override;

protected:
    void setDefaultButton(QPushButton* button);
    void keyPressEvent(QKeyEvent* event) override;
    bool focusNextPrevChild(bool next) override;

private:
    QPointer<QPushButton> m_defaultButton;
};

} // namespace tallowmere
