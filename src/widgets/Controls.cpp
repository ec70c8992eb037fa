#include "widgets/Controls.h"

#include "widgets/Style.h"

#include <QGraphicsDropShadowEffect>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QTextDocument>
#include <QTextLayout>
#include <QTimer>
#include <QVBoxLayout>
#include <QtMath>

#include <algorithm>
#include <cmath>

namespace tallowmere {
namespace {

constexpr int rowHeight = 30;
constexpr int switchWidth = 32;
constexpr int switchHeight = 18;
constexpr int horizontalPadding = 10;

QFont subtitleFont(const QFont& base) {
    QFont font = base;
    font.setPixelSize(11);
    return font;
}

} // namespace

ToggleRow::ToggleRow(const QString& title, const QString& subtitle, QWidget* parent)
    : QAbstractButton(parent)
    , m_title(title)
    , m_subtitle(subtitle)
    , m_inset(horizontalPadding) {
    // A button's "&" marks a keyboard mnemonic; a title's is a letter.
    setText(QString(title).replace('&', "&&"));
    setCheckable(true);
    setCursor(Qt::PointingHandCursor);
    setAccessibleName(title);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void ToggleRow::setInset(int inset) {
    m_inset = inset;
    updateGeometry();
    update();
}

QSize ToggleRow::sizeHint() const {
    QFontMetrics metrics(font());
    int width = m_inset * 2 + metrics.horizontalAdvance(m_title) + 16 + switchWidth;
    int height = rowHeight;
    if (!m_subtitle.isEmpty()) {
        QFontMetrics small(subtitleFont(font()));
        width = qMax(width, m_inset * 2 + small.horizontalAdvance(m_subtitle) + 16 + switchWidth);
        height = metrics.height() + small.height() + 14;
    }
    return {width, height};
}

QSize ToggleRow::minimumSizeHint() const {
    return {m_inset * 2 + switchWidth + 40, sizeHint().height()};
}

QRect ToggleRow::switchRect() const {
    return {width() - m_inset - switchWidth, (height() - switchHeight) / 2, switchWidth, switchHeight};
}

QRect ToggleRow::textArea() const {
    return rect().adjusted(m_inset, 0, -(switchWidth + m_inset + 12), 0);
}

void ToggleRow::resizeEvent(QResizeEvent* event) {
    QAbstractButton::resizeEvent(event);
    const bool cut = fontMetrics().horizontalAdvance(m_title) > textArea().width();
    setToolTip(cut ? Qt::convertFromPlainText(m_title, Qt::WhiteSpaceNormal) : QString());
}

bool ToggleRow::hitButton(const QPoint& position) const {
    return rect().contains(position);
}

void ToggleRow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (!isEnabled())
        painter.setOpacity(0.4);

    const QRect knobTrack = switchRect();
    const QRect textArea = this->textArea();
    QColor textColor = palette().color(QPalette::WindowText);
    painter.setPen(textColor);
    if (m_subtitle.isEmpty()) {
        painter.drawText(textArea, Qt::AlignVCenter | Qt::AlignLeft,
                         fontMetrics().elidedText(m_title, Qt::ElideMiddle, textArea.width()));
    } else {
        QFontMetrics metrics(font());
        QFont small = subtitleFont(font());
        QFontMetrics smallMetrics(small);
        int top = (height() - metrics.height() - smallMetrics.height() - 2) / 2;
        painter.drawText(QRect(textArea.left(), top, textArea.width(), metrics.height()), Qt::AlignLeft,
                         metrics.elidedText(m_title, Qt::ElideMiddle, textArea.width()));
        painter.setFont(small);
        painter.setPen(QColor(0x6E, 0x6E, 0x73));
        painter.drawText(QRect(textArea.left(), top + metrics.height() + 2, textArea.width(), smallMetrics.height()),
                         Qt::AlignLeft, smallMetrics.elidedText(m_subtitle, Qt::ElideMiddle, textArea.width()));
    }

    painter.setPen(Qt::NoPen);
    painter.setBrush(isChecked() ? accentColor : QColor(0xE0, 0xE0, 0xE5));
    painter.drawRoundedRect(knobTrack, switchHeight / 2.0, switchHeight / 2.0);
    const int knob = switchHeight - 4;
    QRect knobRect(isChecked() ? knobTrack.right() - knob - 1 : knobTrack.left() + 2, knobTrack.top() + 2, knob, knob);
    painter.setBrush(QColor(0, 0, 0, 30));
    painter.drawEllipse(knobRect.translated(0, 1));
    painter.setBrush(Qt::white);
    painter.drawEllipse(knobRect);
    // Reached with the keyboard: the focus ring of the text fields around the switch.
    if (hasFocus()) {
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(focusRingColor, 3));
        painter.drawRoundedRect(QRectF(knobTrack).adjusted(-1.5, -1.5, 1.5, 1.5), switchHeight / 2.0 + 1.5,
                                switchHeight / 2.0 + 1.5);
    }
}

int WrappingLabel::layOut(int width, QPainter* painter) const {
    QTextLayout layout(text(), font());
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    qreal height = 0;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        line.setPosition(QPointF(0, height));
        height += line.height();
    }
    layout.endLayout();
    if (painter) {
        painter->setPen(palette().color(foregroundRole()));
        layout.draw(painter, QPointF(0, 0));
    }
    return qCeil(height);
}

int WrappingLabel::heightForWidth(int width) const {
    return layOut(width, nullptr);
}

// It takes the width the rest of its window gives it, and never asks for more: a window does not widen as the text
// comes and goes.
QSize WrappingLabel::sizeHint() const {
    const int width = fontMetrics().averageCharWidth() * 10;
    return {width, heightForWidth(width)};
}

QSize WrappingLabel::minimumSizeHint() const {
    return {sizeHint().width(), fontMetrics().height()};
}

void WrappingLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    layOut(width(), &painter);
}

BusyIndicator::BusyIndicator(int diameter, QWidget* parent)
    : QWidget(parent)
    , m_diameter(diameter)
    , m_timer(new QTimer(this)) {
    setAccessibleName(tr("Loading"));
    setFixedSize(diameter, diameter);
    m_timer->setInterval(80);
    connect(m_timer, &QTimer::timeout, this, [this] {
        m_angle = (m_angle + 30) % 360;
        update();
    });
}

QSize BusyIndicator::sizeHint() const {
    return {m_diameter, m_diameter};
}

void BusyIndicator::showEvent(QShowEvent*) {
    m_timer->start();
}

void BusyIndicator::hideEvent(QHideEvent*) {
    m_timer->stop();
}

void BusyIndicator::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(width() / 2.0, height() / 2.0);
    painter.rotate(m_angle);
    const qreal radius = m_diameter / 2.0;
    for (int spoke = 0; spoke < 12; ++spoke) {
        QColor colour(0x6E, 0x6E, 0x73);
        colour.setAlphaF(static_cast<float>(0.15 + 0.85 * spoke / 11.0));
        painter.setPen(QPen(colour, qMax(1.5, radius / 4), Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(QPointF(0, -radius * 0.45), QPointF(0, -radius * 0.9));
        painter.rotate(30);
    }
}

ValueSlider::ValueSlider(double minimum, double maximum, double step, QWidget* parent)
    : QSlider(Qt::Horizontal, parent)
    , m_scale(1.0 / step) {
    setRange(static_cast<int>(std::lround(minimum * m_scale)), static_cast<int>(std::lround(maximum * m_scale)));
    setPageStep(static_cast<int>(std::lround(m_scale)));
}

double ValueSlider::number() const {
    return value() / m_scale;
}

void ValueSlider::setNumber(double value) {
    setValue(static_cast<int>(std::lround(std::clamp(value * m_scale, double(minimum()), double(maximum())))));
}

Card::Card(bool separators, QWidget* parent)
    : QFrame(parent)
    , m_content(new QVBoxLayout(this))
    , m_separators(separators) {
    setRole(this, "card");
    m_content->setContentsMargins(4, 4, 4, 4);
    m_content->setSpacing(0);
    auto* shadow = new QGraphicsDropShadowEffect(this);
    shadow->setColor(QColor(0, 0, 0, 13));
    shadow->setBlurRadius(10);
    shadow->setOffset(0, 4);
    setGraphicsEffect(shadow);
}

void Card::addRow(QWidget* row) {
    if (m_separators && m_content->count() > 0)
        m_content->addWidget(makeSeparator());
    m_content->addWidget(row);
}

FlowRow::FlowRow(int spacing) {
    setSpacing(spacing);
    setContentsMargins(0, 0, 0, 0);
}

FlowRow::~FlowRow() {
    for (QLayoutItem* item : m_items)
        delete item;
}

void FlowRow::addItem(QLayoutItem* item) {
    m_items.push_back(item);
}

QLayoutItem* FlowRow::itemAt(int index) const {
    return index >= 0 && index < count() ? m_items[index] : nullptr;
}

QLayoutItem* FlowRow::takeAt(int index) {
    if (index < 0 || index >= count())
        return nullptr;
    QLayoutItem* item = m_items[index];
    m_items.erase(m_items.begin() + index);
    return item;
}

QSize FlowRow::sizeHint() const {
    QSize size;
    for (QLayoutItem* item : m_items)
        size = QSize(size.width() + (size.isEmpty() ? 0 : spacing()) + item->sizeHint().width(),
                     std::max(size.height(), item->sizeHint().height()));
    return size;
}

QSize FlowRow::minimumSize() const {
    QSize size;
    for (QLayoutItem* item : m_items)
        size = size.expandedTo(item->minimumSize());
    return size;
}

void FlowRow::setGeometry(const QRect& rect) {
    QLayout::setGeometry(rect);
    arrange(rect, true);
}

int FlowRow::arrange(const QRect& rect, bool place) const {
    int x = rect.x(), y = rect.y(), lineHeight = 0;
    for (QLayoutItem* item : m_items) {
        const QSize size = item->sizeHint();
        if (x > rect.x() && x + size.width() > rect.right() + 1) {
            x = rect.x();
            y += lineHeight + spacing();
            lineHeight = 0;
        }
        if (place)
            item->setGeometry(QRect(QPoint(x, y), size));
        x += size.width() + spacing();
        lineHeight = std::max(lineHeight, size.height());
    }
    return y + lineHeight - rect.y();
}

QWidget* makeFormSection(const QString& header, Card* card, const QString& footer) {
    auto* section = new QWidget;
    auto* column = new QVBoxLayout(section);
    column->setContentsMargins(0, 4, 0, 4);
    column->setSpacing(6);
    if (!header.isEmpty())
        column->addWidget(makeLabel(header, "sectionHeader"));
    column->addWidget(card);
    if (!footer.isEmpty())
        column->addWidget(makeLabel(footer, "sectionFooter", true));
    return section;
}

QWidget* makeLabeledRow(const QString& label, QWidget* control) {
    auto* row = new QWidget;
    row->setMinimumHeight(rowHeight);
    auto* line = new QHBoxLayout(row);
    line->setContentsMargins(horizontalPadding, 4, horizontalPadding, 4);
    line->addWidget(makeLabel(label));
    line->addStretch();
    line->addWidget(control);
    return row;
}

} // namespace tallowmere
