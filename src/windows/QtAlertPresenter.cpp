#include "windows/QtAlertPresenter.h"

#include <QMessageBox>
#include <QPushButton>

#include <vector>

namespace tallowmere {

int QtAlertPresenter::runModal(const AlertContent& alert) {
    QMessageBox box;
    box.setWindowTitle(QString::fromStdString(alert.messageText));
    box.setText(QString::fromStdString(alert.messageText));
    box.setInformativeText(QString::fromStdString(alert.informativeText));
    box.setTextFormat(Qt::PlainText);
    std::vector<QAbstractButton*> buttons;
    for (const std::string& title : alert.buttonTitles)
        buttons.push_back(box.addButton(QString::fromStdString(title), QMessageBox::AcceptRole));
    if (!buttons.empty())
        box.setDefaultButton(static_cast<QPushButton*>(buttons.front()));
    box.exec();
    for (size_t i = 0; i < buttons.size(); ++i)
        if (box.clickedButton() == buttons[i])
            return firstButtonReturn + static_cast<int>(i);
    return 0;
}

} // namespace tallowmere
