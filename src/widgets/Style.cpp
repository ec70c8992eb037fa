#include "widgets/Style.h"

#include <QApplication>
#include <QFile>
#include <QFrame>
#include <QIconEngine>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QStyle>
#include <QSvgRenderer>

namespace tallowmere {
namespace {

// Symbols drawn in their own colours rather than as a template.
bool isMulticolour(const QString& name) {
    return name == "moon.stars.fill" || name == "tallowmere";
}

// Renders a symbol at every size asked for, tinted when it is a template.
class SymbolIconEngine : public QIconEngine {
public:
    SymbolIconEngine(QString name, QColor tint)
        : m_name(std::move(name))
        , m_tint(std::move(tint)) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State) override {
        qreal ratio = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
        QPixmap image = symbolPixmap(m_name, qMin(rect.width(), rect.height()), ratio, tintFor(mode));
        QSize size = image.deviceIndependentSize().toSize();
        painter->drawPixmap(QRect(rect.center() - QPoint(size.width() / 2, size.height() / 2), size), image);
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State) override {
        return symbolPixmap(m_name, qMin(size.width(), size.height()), 1.0, tintFor(mode));
    }
    QIconEngine* clone() const override { return new SymbolIconEngine(m_name, m_tint); }

private:
    QColor tintFor(QIcon::Mode mode) const {
        QColor tint = m_tint.isValid() ? m_tint : QApplication::palette().color(QPalette::WindowText);
        if (mode == QIcon::Selected)
            return Qt::white;
        if (mode == QIcon::Disabled)
            tint.setAlphaF(0.35);
        return tint;
    }

    QString m_name;
    QColor m_tint;
};

} // namespace

void applyStyle(QApplication& application) {
    QFont font = QApplication::font();
    // Inter stands in for the Mac's system font where it is installed.
    font.setFamilies({"Inter", font.family()});
    font.setPixelSize(13);
    QApplication::setFont(font);
    QPalette palette = QApplication::palette();
    palette.setColor(QPalette::Window, QColor(0xF2, 0xF2, 0xF7));
    palette.setColor(QPalette::WindowText, QColor(0x1D, 0x1D, 0x1F));
    palette.setColor(QPalette::Text, QColor(0x1D, 0x1D, 0x1F));
    palette.setColor(QPalette::Base, Qt::white);
    palette.setColor(QPalette::Highlight, accentColor);
    palette.setColor(QPalette::PlaceholderText, QColor(0x6E, 0x6E, 0x73));
    QApplication::setPalette(palette);
    QFile sheet(":/style/tallowmere.qss");
    if (sheet.open(QIODevice::ReadOnly))
        application.setStyleSheet(QString::fromUtf8(sheet.readAll()));
}

QPixmap symbolPixmap(const QString& name, int size, qreal devicePixelRatio, const QColor& tint) {
    const int pixels = qMax(1, qRound(size * devicePixelRatio));
    QPixmap image(pixels, pixels);
    image.fill(Qt::transparent);
    QSvgRenderer renderer(":/icons/" + name + ".svg");
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter, QRectF(0, 0, pixels, pixels));
    if (!isMulticolour(name)) {
        painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
        painter.fillRect(image.rect(), tint.isValid() ? tint : QApplication::palette().color(QPalette::WindowText));
    }
    painter.end();
    image.setDevicePixelRatio(devicePixelRatio);
    return image;
}

QIcon symbolIcon(const QString& name, const QColor& tint) {
    return QIcon(new SymbolIconEngine(name, tint));
}

void setRole(QWidget* widget, const char* role) {
    widget->setProperty("role", QString::fromLatin1(role));
    widget->style()->unpolish(widget);
    widget->style()->polish(widget);
}

QLabel* makeLabel(const QString& text, const char* role, bool wrap) {
    auto* label = new QLabel(text);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(wrap);
    if (role)
        label->setProperty("role", QString::fromLatin1(role));
    return label;
}

QPushButton* makeButton(const QString& title, const char* role) {
    auto* button = new QPushButton(title);
    button->setAutoDefault(false);
    if (role)
        button->setProperty("role", QString::fromLatin1(role));
    return button;
}

QFrame* makeSeparator(const char* role) {
    auto* line = new QFrame;
    line->setProperty("role", QString::fromLatin1(role));
    if (qstrcmp(role, "verticalDivider") == 0)
        line->setFixedWidth(1);
    else
        line->setFixedHeight(1);
    return line;
}

} // namespace tallowmere
