#include "widgets/SettingsPage.h"

#include "widgets/Controls.h"

#include <QVBoxLayout>

namespace tallowmere {

SettingsPage::SettingsPage(QWidget* parent)
    : QWidget(parent)
    , m_column(new QVBoxLayout(this)) {
    m_column->setContentsMargins(0, 0, 0, 0);
    m_column->setSpacing(16);
}

Card* SettingsPage::addSection(const QString& header, const QString& footer, bool separators) {
    auto* card = new Card(separators);
    m_column->addWidget(makeFormSection(header, card, footer));
    return card;
}

ToggleRow* SettingsPage::bindToggle(const QString& title, std::function<bool()> read, std::function<void(bool)> write) {
    auto* row = new ToggleRow(title);
    connect(row, &QAbstractButton::clicked, this, [write = std::move(write)](bool on) { write(on); });
    onRefresh([row, read = std::move(read)] { row->setChecked(read()); });
    return row;
}

ValueSlider* SettingsPage::bindSlider(const QString& name, double minimum, double maximum, double step,
                                      std::function<double()> read, std::function<void(double)> write) {
    auto* slider = new ValueSlider(minimum, maximum, step);
    slider->setAccessibleName(name);
    // Dragging writes as it goes, like a bound slider; a redraw from the model must not write back.
    connect(slider, &QSlider::valueChanged, this, [slider, write = std::move(write)] {
        if (!slider->property("redrawing").toBool())
            write(slider->number());
    });
    onRefresh([slider, read = std::move(read)] {
        slider->setProperty("redrawing", true);
        slider->setNumber(read());
        slider->setProperty("redrawing", false);
    });
    return slider;
}

void SettingsPage::onRefresh(std::function<void()> refresh) {
    refresh();
    m_refreshers.push_back(std::move(refresh));
}

void SettingsPage::refresh() {
    for (const auto& refresher : m_refreshers)
        refresher();
}

} // namespace tallowmere
