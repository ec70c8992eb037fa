#pragma once

#include <QDialog>

namespace tallowmere {

// A sheet, as a Mac shows one: it hangs from under its window's title bar, centred, and while it is up the window
// takes no input (it is window-modal). It moves with its window, and closing the window cancels it. Escape
// cancels it, Return presses its default button, Tab moves through its controls in reading order.
class Sheet : public QDialog {
    Q_OBJECT

public:
    Sheet(QWidget* window, const QString& title);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool focusNextPrevChild(bool next) override;

private:
    void place();
};

} // namespace tallowmere
