#include "widgets/QtAlertPresenter.h"

#include "platform/Translation.h"
#include "widgets/Accessibility.h"
#include "widgets/Style.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

namespace tallowmere {
namespace {

constexpr int alertWidth = 420;

class AlertWindow : public QDialog {
public:
    explicit AlertWindow(const AlertContent& alert)
        // An alert has no title bar; its title names it to `macsim ui` and to the window manager.
        : QDialog(nullptr, Qt::Dialog | Qt::CustomizeWindowHint) {
        setWindowTitle(QString::fromStdString(alert.messageText));
        setObjectName("windowBackground");
        setAttribute(Qt::WA_StyledBackground);

        auto* icon = new QLabel;
        icon->setPixmap(symbolPixmap("tallowmere", 64, devicePixelRatioF()));
        icon->setFixedSize(64, 64);
        auto* texts = new QVBoxLayout;
        texts->setSpacing(8);
        texts->addWidget(makeLabel(QString::fromStdString(alert.messageText), "headline", true));
        texts->addWidget(makeLabel(QString::fromStdString(alert.informativeText), "alertMessage", true));
        texts->addSpacing(12);
        // Built left to right, so that reading order and Tab order follow what is seen.
        auto* buttons = new QHBoxLayout;
        buttons->setSpacing(12);
        buttons->addStretch();
        for (size_t i = alert.buttonTitles.size(); i-- > 0;) {
            const bool isDefault = i == 0;
            QPushButton* button =
                makeButton(QString::fromStdString(alert.buttonTitles[i]), isDefault ? "prominent" : nullptr);
            button->setDefault(isDefault);
            buttons->addWidget(button);
            connect(button, &QPushButton::clicked, this,
                    [this, i] { done(AlertPresenter::firstButtonReturn + static_cast<int>(i)); });
            if (alert.buttonTitles[i] == translated("Alert", "Cancel"))
                m_cancel = button;
        }
        texts->addLayout(buttons);
        auto* row = new QHBoxLayout(this);
        row->setContentsMargins(20, 20, 20, 20);
        row->setSpacing(16);
        row->addWidget(icon, 0, Qt::AlignTop);
        row->addLayout(texts, 1);
        setFixedSize(alertWidth, row->heightForWidth(alertWidth));
    }

protected:
    void reject() override {
        if (m_cancel)
            m_cancel->click();
    }
    bool focusNextPrevChild(bool next) override { return focusNextInReadingOrder(this, next); }

private:
    QPointer<QPushButton> m_cancel;
};

} // namespace

int QtAlertPresenter::runModal(const AlertContent& alert) {
    AlertWindow window(alert);
    return window.exec();
}

} // namespace tallowmere
