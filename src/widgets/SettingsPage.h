#pragma once

#include <QWidget>

#include "widgets/Controls.h"

#include <functional>
#include <initializer_list>
#include <vector>

class QAbstractButton;
class QVBoxLayout;

namespace tallowmere {

// The base of the settings window's pages: a column of form sections whose controls are bound to a model.
// Each binding reads the model again whenever the model says it changed, so a value written from elsewhere
// (another page, the menu, `macsim defaults write`) shows at once.
class SettingsPage : public QWidget {
    Q_OBJECT

public:
    explicit SettingsPage(QWidget* parent = nullptr);

    // Reads every bound control again from the model.
    void refresh();

protected:
    QVBoxLayout* column() const { return m_column; }
    // Adds a section to the page and returns its card.
    Card* addSection(const QString& header, const QString& footer = {}, bool separators = true);

    ToggleRow* bindToggle(const QString& title, std::function<bool()> read, std::function<void(bool)> write);
    // One switch per key of a model that names its switches (`title`, `isOn`, `setOn`), in the given order.
    template <class Model, class Key> void addToggles(Card* card, Model* model, std::initializer_list<Key> keys);
    // A slider over [minimum, maximum] in `step`s; `write` gets the value a person chose.
    ValueSlider* bindSlider(const QString& name, double minimum, double maximum, double step,
                            std::function<double()> read, std::function<void(double)> write);
    // Runs after every change of the model (and once now).
    void onRefresh(std::function<void()> refresh);

private:
    QVBoxLayout* m_column;
    std::vector<std::function<void()>> m_refreshers;
};

template <class Model, class Key>
void SettingsPage::addToggles(Card* card, Model* model, std::initializer_list<Key> keys) {
    for (Key key : keys)
        card->addRow(bindToggle(
            QString::fromStdString(Model::title(key)), [model, key] { return model->isOn(key); },
            [model, key](bool on) { model->setOn(key, on); }));
}

} // namespace tallowmere
