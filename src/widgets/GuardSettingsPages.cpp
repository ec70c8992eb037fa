#include "widgets/GuardSettingsPages.h"

#include "app/AppCommands.h"
#include "base/MachineTexts.h"
#include "models/BatterySettingsModel.h"
#include "models/QuenbyGuardSettingsModel.h"
#include "widgets/Controls.h"
#include "widgets/Sheet.h"
#include "widgets/Style.h"

#include <QGraphicsOpacityEffect>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QSlider>
#include <QStyledItemDelegate>
#include <QVBoxLayout>

namespace tallowmere {
namespace {

QString text(const std::string& value) {
    return QString::fromStdString(value);
}

// Rows of the duration list carry a trailing caption ("Default") in the secondary colour.
class CaptionDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QStyledItemDelegate::paint(painter, option, index);
        // The caption is the row's accessible description too, so a screen reader says "2 hr, Default".
        QString caption = index.data(Qt::AccessibleDescriptionRole).toString();
        if (caption.isEmpty())
            return;
        painter->save();
        painter->setPen(option.state & QStyle::State_Selected ? QColor(255, 255, 255, 210) : QColor(0x6E, 0x6E, 0x73));
        QFont font = option.font;
        font.setPixelSize(11);
        painter->setFont(font);
        painter->drawText(option.rect.adjusted(0, 0, -14, 0), Qt::AlignRight | Qt::AlignVCenter, caption);
        painter->restore();
    }
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        return QStyledItemDelegate::sizeHint(option, index).expandedTo(QSize(0, 26));
    }
};

QWidget* padded(QLayout* content, int vertical = 8) {
    auto* row = new QWidget;
    content->setContentsMargins(10, vertical, 10, vertical);
    row->setLayout(content);
    return row;
}

QLineEdit* sheetField(const QString& name, int value, QHBoxLayout* fields) {
    auto* column = new QVBoxLayout;
    column->setSpacing(4);
    column->addWidget(makeLabel(name));
    auto* field = new QLineEdit(QString::number(value));
    field->setAccessibleName(name);
    field->setFixedWidth(80);
    field->setValidator(new QIntValidator(0, 999, field));
    column->addWidget(field);
    fields->addLayout(column);
    return field;
}

} // namespace

QuenbyGuardSettingsPage::QuenbyGuardSettingsPage(const AppContext& context) {
    Platform& platform = context.platform;
    m_model = std::make_unique<QuenbyGuardSettingsModel>(platform.runtime, platform.preferences);
    QuenbyGuardSettingsModel* model = m_model.get();
    using Switch = QuenbyGuardSettingsModel::Switch;

    const MachineKind machine = platform.features.machine;
    addToggles(addSection(tr("Status"), text(machineText(MachineText::guardStatusFooter, machine))), model,
               {Switch::stayAwakeEnabled, Switch::activateStayAwakeOnLaunch});

    Card* durations = addSection(tr("Default Duration"), {}, false);
    m_durations = new QListWidget;
    m_durations->setAccessibleName(tr("Default Duration"));
    m_durations->setItemDelegate(new CaptionDelegate(m_durations));
    m_durations->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_durations->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    connect(m_durations, &QListWidget::currentItemChanged, this, [this, model](QListWidgetItem* item) {
        if (item && !property("redrawing").toBool())
            model->selectDuration(item->data(Qt::UserRole).toInt());
    });
    auto* listRow = new QVBoxLayout;
    listRow->addWidget(m_durations);
    durations->addRow(padded(listRow, 4));

    auto* buttons = new FlowRow(12);
    QPushButton* reset = makeButton(tr("Reset"));
    QPushButton* makeDefault = makeButton(tr("Default"), "prominent");
    QPushButton* add = makeButton(tr("Add"));
    add->setIcon(symbolIcon("plus"));
    QPushButton* remove = makeButton(tr("Remove"), "destructive");
    remove->setIcon(symbolIcon("minus", QColor(0xFF, 0x3B, 0x30)));
    for (QPushButton* button : {reset, makeDefault, add, remove})
        buttons->addWidget(button);
    connect(reset, &QPushButton::clicked, this, [model] { model->reset(); });
    connect(makeDefault, &QPushButton::clicked, this, [model] { model->makeHighlightedDefault(); });
    connect(add, &QPushButton::clicked, this, [model] { model->addCustomDuration(); });
    connect(remove, &QPushButton::clicked, this, [model] { model->removeCustomDuration(); });
    auto* captions = new QVBoxLayout;
    captions->setSpacing(4);
    captions->addLayout(buttons);
    captions->addSpacing(4);
    captions->addWidget(makeLabel(tr("Use Default to set the highlighted duration. Add creates a custom option; Remove "
                                     "deletes it."),
                                  "caption", true));
    captions->addWidget(makeLabel(tr("The default activation duration is used when enabling Quenby Guard on Launch and "
                                     "other default-based actions."),
                                  "caption", true));
    durations->addRow(padded(captions));

    addToggles(addSection(tr("Advanced behavior"), text(machineText(MachineText::guardAdvancedFooter, machine))), model,
               {Switch::allowDisplaySleep, Switch::activateOnExternalDisplay, Switch::deactivateOnUserSwitch});
    column()->addStretch();

    onRefresh([this, remove, model] {
        redrawDurations();
        remove->setEnabled(model->canRemoveCustomDuration());
        showOrHideSheet();
    });
    connect(model, &QuenbyGuardSettingsModel::changed, this, &SettingsPage::refresh);
    model->pageDidAppear();
}

// The sheet hangs on the window but reads and writes this page's model: it goes with the page.
QuenbyGuardSettingsPage::~QuenbyGuardSettingsPage() {
    delete m_sheet;
}

void QuenbyGuardSettingsPage::redrawDurations() {
    setProperty("redrawing", true);
    const auto rows = m_model->durationRows();
    m_durations->clear();
    for (const auto& row : rows) {
        auto* item = new QListWidgetItem(text(row.title), m_durations);
        item->setData(Qt::UserRole, row.tag);
        item->setData(Qt::AccessibleDescriptionRole, row.isDefault ? tr("Default") : QString());
        if (row.tag == m_model->selectedDurationIndex())
            m_durations->setCurrentItem(item);
    }
    int height = 4;
    for (int i = 0; i < m_durations->count(); ++i)
        height += m_durations->sizeHintForRow(i);
    m_durations->setFixedHeight(height);
    setProperty("redrawing", false);
}

// The sheet is shown while the model says so; its fields start from the model's values.
void QuenbyGuardSettingsPage::showOrHideSheet() {
    QuenbyGuardSettingsModel* model = m_model.get();
    if (!model->showCustomDurationSheet()) {
        if (m_sheet) {
            m_sheet->hide();
            m_sheet->deleteLater();
            m_sheet = nullptr;
        }
        return;
    }
    if (m_sheet)
        return;
    m_sheet = new Sheet(window(), tr("Custom Quenby Guard Duration"));
    auto* column = new QVBoxLayout(m_sheet);
    column->setContentsMargins(24, 24, 24, 24);
    column->setSpacing(16);
    column->addWidget(makeLabel(tr("Custom Quenby Guard Duration"), "headline"), 0, Qt::AlignHCenter);
    auto* fields = new QHBoxLayout;
    fields->setSpacing(12);
    fields->addStretch();
    QLineEdit* hours = sheetField(tr("Hours"), model->customHours(), fields);
    QLineEdit* minutes = sheetField(tr("Minutes"), model->customMinutes(), fields);
    QLineEdit* seconds = sheetField(tr("Seconds"), model->customSecondsInput(), fields);
    fields->addStretch();
    column->addLayout(fields);
    const std::tuple<QLineEdit*, bool (QuenbyGuardSettingsModel::*)(std::string_view),
                     int (QuenbyGuardSettingsModel::*)() const>
        bindings[] = {
            {hours, &QuenbyGuardSettingsModel::setCustomHours, &QuenbyGuardSettingsModel::customHours},
            {minutes, &QuenbyGuardSettingsModel::setCustomMinutes, &QuenbyGuardSettingsModel::customMinutes},
            {seconds, &QuenbyGuardSettingsModel::setCustomSecondsInput, &QuenbyGuardSettingsModel::customSecondsInput}};
    for (auto [field, write, read] : bindings)
        connect(field, &QLineEdit::editingFinished, m_sheet, [model, field = field, write = write, read = read] {
            if (!(model->*write)(field->text().toStdString()))
                field->setText(QString::number((model->*read)()));
        });
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    QPushButton* cancel = makeButton(tr("Cancel"));
    QPushButton* addDuration = makeButton(tr("Add Duration"), "prominent");
    addDuration->setDefault(true);
    buttons->addWidget(cancel);
    buttons->addWidget(addDuration);
    column->addLayout(buttons);
    m_sheet->setMinimumWidth(360);
    // Escape cancels, Return adds: the dialog's reject and accept.
    connect(cancel, &QPushButton::clicked, m_sheet, &QDialog::reject);
    connect(addDuration, &QPushButton::clicked, m_sheet, &QDialog::accept);
    connect(m_sheet, &QDialog::rejected, this, [model] { model->cancelSheet(); });
    connect(m_sheet, &QDialog::accepted, this, [model, hours, minutes, seconds] {
        model->setCustomHours(hours->text().toStdString());
        model->setCustomMinutes(minutes->text().toStdString());
        model->setCustomSecondsInput(seconds->text().toStdString());
        model->addDuration();
    });
    m_sheet->adjustSize();
    m_sheet->open();
}

BatterySettingsPage::BatterySettingsPage(const AppContext& context) {
    Platform& platform = context.platform;
    m_model = std::make_unique<BatterySettingsModel>(platform.runtime, platform.preferences, platform.powerSources,
                                                     platform.features.machine);
    BatterySettingsModel* model = m_model.get();
    model->pageDidAppear();

    Card* card = addSection(tr("Battery Level"),
                            tr("Below this level, Quenby Guard turns off automatically. Low Power Mode "
                               "can also pause Quenby Guard to save battery."),
                            false);
    auto* content = new QVBoxLayout;
    content->setSpacing(8);
    QLabel* threshold = makeLabel({}, "subheadline");
    content->addWidget(threshold);
    auto* sliderLine = new QHBoxLayout;
    sliderLine->addWidget(makeLabel(tr("5%"), "caption2"));
    // Continuous: the model keeps what is stored whole.
    QSlider* slider = bindSlider(
        tr("Deactivate threshold"), BatterySettingsModel::batteryCapMinimum, BatterySettingsModel::batteryCapMaximum,
        0.1, [model] { return model->batteryCap(); }, [model](double value) { model->setBatteryCap(value); });
    slider->setMaximumWidth(360);
    sliderLine->addWidget(slider, 1);
    sliderLine->addWidget(makeLabel(tr("95%"), "caption2"));
    sliderLine->addStretch();
    content->addLayout(sliderLine);
    auto* lowPower = bindToggle(
        tr("Disable Quenby Guard on Low Power Mode"), [model] { return model->disableOnLowPower(); },
        [model](bool on) { model->setDisableOnLowPower(on); });
    lowPower->setInset(0);
    content->addWidget(lowPower);
    auto* row = new QWidget;
    content->setContentsMargins(10, 8, 10, 8);
    row->setLayout(content);
    card->addRow(row);
    QWidget* section = card->parentWidget();
    auto* fade = new QGraphicsOpacityEffect(section);
    section->setGraphicsEffect(fade);
    QLabel* note = makeLabel({}, "callout", true);
    column()->addWidget(note);
    column()->addStretch();

    onRefresh([=] {
        threshold->setText(text(model->thresholdText()));
        section->setEnabled(model->isEditable());
        fade->setOpacity(model->sectionOpacity());
        fade->setEnabled(model->sectionOpacity() < 1.0);
        note->setText(text(model->note().value_or("")));
        note->setVisible(model->note().has_value());
    });
    connect(model, &BatterySettingsModel::changed, this, &SettingsPage::refresh);
}

BatterySettingsPage::~BatterySettingsPage() = default;

} // namespace tallowmere
