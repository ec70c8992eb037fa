#pragma once

#include <QAbstractButton>
#include <QFrame>
#include <QSlider>
#include <QString>

#include <initializer_list>

class QTimer;
class QVBoxLayout;

namespace tallowmere {

// A row of a grouped form that is a switch: its title (and an optional second line under it) on the left,
// the switch at the right. The whole row is the control, so it is found and toggled by its title.
class ToggleRow : public QAbstractButton {
    Q_OBJECT

public:
    explicit ToggleRow(const QString& title, const QString& subtitle = {}, QWidget* parent = nullptr);

    const QString& subtitle() const { return m_subtitle; }
    // Space at both ends: a row of its own in a card has some, a switch inside a padded column none.
    void setInset(int inset);
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool hitButton(const QPoint& position) const override;

private:
    QRect switchRect() const;
    QString m_subtitle;
    int m_inset;
};

// A small spinning circle: work is under way.
class BusyIndicator : public QWidget {
    Q_OBJECT

public:
    explicit BusyIndicator(int diameter = 16, QWidget* parent = nullptr);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    int m_diameter;
    int m_angle = 0;
    QTimer* m_timer;
};

// A horizontal slider over a range of numbers in steps that need not be whole ([0, 15] in steps of 0.5). A screen
// reader reads and sets the number itself (7.5), not the count of steps behind it.
class ValueSlider : public QSlider {
    Q_OBJECT

public:
    ValueSlider(double minimum, double maximum, double step, QWidget* parent = nullptr);

    double number() const;
    // The nearest step to `value` within the range.
    void setNumber(double value);
    double minimumNumber() const { return minimum() / m_scale; }
    double maximumNumber() const { return maximum() / m_scale; }
    double step() const { return 1.0 / m_scale; }

private:
    double m_scale;
};

// The rounded white card of a grouped form, with its faint shadow. Rows added with `addRow` are separated by
// hairlines unless the card is made without them.
class Card : public QFrame {
    Q_OBJECT

public:
    explicit Card(bool separators = true, QWidget* parent = nullptr);
    void addRow(QWidget* row);
    QVBoxLayout* content() const { return m_content; }

private:
    QVBoxLayout* m_content;
    bool m_separators;
};

// One section of a grouped form: a small header, the card, a small footer (either text may be empty).
QWidget* makeFormSection(const QString& header, Card* card, const QString& footer = {});
// A row with a label on the left and a control on the right.
QWidget* makeLabeledRow(const QString& label, QWidget* control);

} // namespace tallowmere
