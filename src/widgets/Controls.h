#pragma once

#include <QAbstractButton>
#include <QFrame>
#include <QLabel>
#include <QLayout>
#include <QSlider>
#include <QString>

#include <initializer_list>
#include <vector>

class QTimer;
class QVBoxLayout;

namespace tallowmere {

// A row of a grouped form that is a switch: its title (and an optional second line under it) on the left,
// the switch at the right. The whole row is the control, so it is found and toggled by its title, which is
// also its accessible name. Titles are plain text ("Tom & Jerry"); one too long for the row is cut in the
// middle and shown whole as its tooltip.
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
    void resizeEvent(QResizeEvent* event) override;
    bool hitButton(const QPoint& position) const override;

private:
    QRect switchRect() const;
    QRect textArea() const;
    QString m_title;
    QString m_subtitle;
    int m_inset;
};

// A label of plain text that wraps between words, and inside a word too long for a line (a long volume name)
// rather than widening its window or running out of it.
class WrappingLabel : public QLabel {
    Q_OBJECT

public:
    using QLabel::QLabel;
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // Lays the text out in lines of `width`, draws it with `painter` when given, and returns its height.
    int layOut(int width, QPainter* painter) const;
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

// Buttons side by side, left aligned, going on in a second line where the row is too narrow for them (longer
// titles in another language): nothing is cut off.
class FlowRow : public QLayout {
public:
    explicit FlowRow(int spacing);
    ~FlowRow() override;

    void addItem(QLayoutItem* item) override;
    int count() const override { return int(m_items.size()); }
    QLayoutItem* itemAt(int index) const override;
    QLayoutItem* takeAt(int index) override;
    Qt::Orientations expandingDirections() const override { return {}; }
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override { return arrange(QRect(0, 0, width, 0), false); }
    QSize sizeHint() const override;
    QSize minimumSize() const override;
    void setGeometry(const QRect& rect) override;

private:
    // Places the items in `rect` (when `place`) and returns the height they take.
    int arrange(const QRect& rect, bool place) const;

    std::vector<QLayoutItem*> m_items;
};

// One section of a grouped form: a small header, the card, a small footer (either text may be empty).
QWidget* makeFormSection(const QString& header, Card* card, const QString& footer = {});
// A row with a label on the left and a control on the right.
QWidget* makeLabeledRow(const QString& label, QWidget* control);

} // namespace tallowmere
