#include "widgets/SettingsPages.h"

#include "base/MachineTexts.h"
#include "models/AboutSettingsModel.h"
#include "models/AutoEjectSettingsModel.h"
#include "models/GeneralSettingsModel.h"
#include "models/UpdatesSettingsModel.h"
#include "models/VolumeNames.h"
#include "widgets/Controls.h"
#include "widgets/GuardSettingsPages.h"
#include "widgets/Style.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

namespace tallowmere {
namespace {

QString text(const std::string& value) {
    return QString::fromStdString(value);
}

// A row of a card holding other content than a switch.
QWidget* paddedRow(QLayout* content, int vertical = 8) {
    auto* row = new QWidget;
    content->setContentsMargins(10, vertical, 10, vertical);
    row->setLayout(content);
    return row;
}

QWidget* leadingButtonRow(QPushButton* button) {
    auto* line = new QHBoxLayout;
    line->addWidget(button);
    line->addStretch();
    return paddedRow(line, 6);
}

} // namespace

SettingsPage* makeSettingsPage(SettingsSection section, const AppContext& context) {
    switch (section) {
    case SettingsSection::general:
        return new GeneralSettingsPage(context);
    case SettingsSection::quenbyGuard:
        return new QuenbyGuardSettingsPage(context);
    case SettingsSection::autoEject:
        return new AutoEjectSettingsPage(context);
    case SettingsSection::battery:
        return new BatterySettingsPage(context);
    case SettingsSection::updates:
        return new UpdatesSettingsPage(context);
    case SettingsSection::about:
        return new AboutSettingsPage(context);
    }
    return new GeneralSettingsPage(context);
}

GeneralSettingsPage::GeneralSettingsPage(const AppContext& context) {
    Platform& platform = context.platform;
    const MachineKind machine = platform.features.machine;
    m_model = std::make_unique<GeneralSettingsModel>(
        GeneralSettingsModel::Services{platform.runtime, platform.preferences, platform.workspace, platform.processes,
                                       platform.features},
        [commands = context.commands](bool enabled) {
            if (auto owner = commands.lock())
                owner->setStartAtLogin(enabled);
        });
    GeneralSettingsModel* model = m_model.get();

    addSection(tr("Startup & privacy"), text(machineText(MachineText::startAtLoginFooter, machine)))
        ->addRow(bindToggle(
            tr("Start at Login"), [model] { return model->startAtLogin(); },
            [model](bool on) { model->setStartAtLogin(on); }));
    addSection(tr("Analytics"), tr("Help improve Tallowmere with anonymized usage statistics. No personal data, file "
                                   "contents, or drive details are collected."))
        ->addRow(bindToggle(
            tr("Allow anonymous usage analytics"), [model] { return model->analyticsEnabled(); },
            [model](bool on) { model->setAnalyticsEnabled(on); }));
    if (model->canOpenNotificationSettings()) {
        QPushButton* notifications = makeButton(tr("Notification Settings…"));
        connect(notifications, &QPushButton::clicked, this, [model] { model->openNotificationSettings(); });
        addSection(tr("System shortcuts"), text(machineText(MachineText::notificationSettingsFooter, machine)))
            ->addRow(leadingButtonRow(notifications));
    }
    column()->addStretch();
    connect(model, &GeneralSettingsModel::changed, this, &SettingsPage::refresh);
}

GeneralSettingsPage::~GeneralSettingsPage() = default;

AutoEjectSettingsPage::AutoEjectSettingsPage(const AppContext& context) {
    Platform& platform = context.platform;
    m_model = std::make_unique<AutoEjectSettingsModel>(platform.runtime, platform.preferences, context.diskManager);
    AutoEjectSettingsModel* model = m_model.get();
    using Toggle = AutoEjectSettingsModel::Toggle;

    addToggles(addSection(tr("Arming"), text(machineText(MachineText::armingFooter, platform.features.machine))), model,
               {Toggle::autoEjectBeforeSleep, Toggle::activateAutoEjectOnLaunch});
    Card* triggers =
        addSection(tr("When to eject"), tr("Choose the events that eject drives. Remounts happen on the paired "
                                           "wake/unlock/stop-typing event."));
    for (AutoEjectTrigger trigger : allAutoEjectTriggers)
        triggers->addRow(bindToggle(
            text(title(trigger)), [model, trigger] { return model->isTriggerSelected(trigger); },
            [model, trigger](bool on) { model->setTrigger(trigger, on); }));
    addToggles(addSection(tr("What to eject"), tr("Limit auto-eject to certain drive types or include everything.")),
               model,
               {Toggle::ejectHardDisksAndSSDs, Toggle::ejectDiskImages, Toggle::ejectSDCards, Toggle::ejectDVDsAndCDs,
                Toggle::ejectNetworkDrives});
    addToggles(
        addSection(tr("How to eject"), tr("Unmount keeps flash/SD cards available for remounting. Force unmount can "
                                          "recover stuck volumes but risks data loss if writes are in flight.")),
        model, {Toggle::unmountInsteadOfEject, Toggle::forceUnmountEnabled});

    auto* delay = new QVBoxLayout;
    delay->setSpacing(6);
    auto* delayLine = new QHBoxLayout;
    delayLine->addWidget(makeLabel(tr("Remount delay after wake")));
    delayLine->addStretch();
    QLabel* delayText = makeLabel({}, "secondary");
    delayLine->addWidget(delayText);
    delay->addLayout(delayLine);
    delay->addWidget(bindSlider(
        tr("Remount delay after wake"), AutoEjectSettingsModel::remountDelayMinimum,
        AutoEjectSettingsModel::remountDelayMaximum, AutoEjectSettingsModel::remountDelayStep,
        [model] { return model->remountDelaySeconds(); },
        [model](double value) { model->setRemountDelaySeconds(value); }));
    onRefresh([delayText, model] { delayText->setText(text(model->remountDelayText())); });
    addSection({},
               tr("Wait this long after wake/unlock before the first remount attempt. Helpful for USB hubs and docks "
                  "that take time to power up."))
        ->addRow(paddedRow(delay));

    Card* volumes = addSection(tr("Volumes to auto-eject"),
                               tr("If nothing is selected, all eligible external volumes are "
                                  "included. Choose specific volumes to keep other devices "
                                  "untouched."),
                               false);
    auto* volumeHolder = new QWidget;
    m_volumes = new QVBoxLayout(volumeHolder);
    m_volumes->setContentsMargins(0, 0, 0, 0);
    m_volumes->setSpacing(0);
    volumes->addRow(volumeHolder);
    QPushButton* refresh = makeButton(tr("Refresh Volumes"), "plain");
    connect(refresh, &QPushButton::clicked, this,
            [model] { model->loadVolumes(AutoEjectSettingsModel::Loading::shown); });
    volumes->addRow(leadingButtonRow(refresh));
    onRefresh([this] { redrawVolumes(); });
    column()->addStretch();

    connect(model, &AutoEjectSettingsModel::changed, this, &SettingsPage::refresh);
    model->pageDidAppear();
}

AutoEjectSettingsPage::~AutoEjectSettingsPage() = default;

void AutoEjectSettingsPage::redrawVolumes() {
    if (!m_volumes)
        return;
    QString shown = m_model->isLoadingVolumes() ? "loading" : "";
    for (const VolumeSelection& volume : m_model->volumeSelections())
        shown += text(volume.id + '\n' + volume.name + '\n' + volume.path + '\n') +
                 (m_model->isVolumeIncluded(volume) ? "1" : "0");
    if (shown == m_shownVolumes && m_volumes->count() > 0)
        return;
    m_shownVolumes = shown;
    while (QLayoutItem* item = m_volumes->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    if (m_model->isLoadingVolumes()) {
        auto* line = new QHBoxLayout;
        line->addStretch();
        line->addWidget(new BusyIndicator(18));
        line->addStretch();
        m_volumes->addWidget(paddedRow(line));
        return;
    }
    if (m_model->volumeSelections().empty()) {
        auto* line = new QHBoxLayout;
        line->addWidget(makeLabel(tr("No external volumes are currently mounted."), "secondary"));
        m_volumes->addWidget(paddedRow(line));
        return;
    }
    AutoEjectSettingsModel* model = m_model.get();
    for (const VolumeSelection& volume : m_model->volumeSelections()) {
        auto* row = new ToggleRow(text(oneLineName(volume.name)), text(oneLineName(volume.path)));
        row->setChecked(model->isVolumeIncluded(volume));
        connect(row, &QAbstractButton::clicked, this,
                [model, volume](bool on) { model->setVolumeIncluded(volume, on); });
        if (m_volumes->count() > 0)
            m_volumes->addWidget(makeSeparator());
        m_volumes->addWidget(row);
    }
}

UpdatesSettingsPage::UpdatesSettingsPage(const AppContext& context) {
    Platform& platform = context.platform;
    m_model = std::make_unique<UpdatesSettingsModel>(
        platform.bundle, platform.workspace,
        UpdatesSettingsModel::Delegate{context.updater, [commands = context.commands] {
                                           if (auto owner = commands.lock())
                                               owner->checkForUpdates();
                                       }});
    UpdatesSettingsModel* model = m_model.get();
    Card* card = addSection({}, {}, false);
    auto* content = new QVBoxLayout;
    content->setSpacing(8);
    content->addWidget(makeLabel(tr("Tallowmere Updates"), "headline"));
    content->addWidget(makeLabel(text(UpdatesSettingsModel::appcastSentence()), "secondary", true));
    auto* version = new QHBoxLayout;
    version->addWidget(makeLabel(tr("Current version")));
    version->addStretch();
    QLabel* versionText = makeLabel({}, "secondary");
    version->addWidget(versionText);
    content->addLayout(version);
    ToggleRow* automatic = bindToggle(
        tr("Automatically check for updates"), [model] { return model->automaticallyChecksForUpdates(); },
        [model](bool on) { model->setAutomaticallyChecksForUpdates(on); });
    automatic->setInset(0);
    content->addWidget(automatic);
    QPushButton* check = makeButton(tr("Check for Updates…"), "prominent");
    QPushButton* notes = makeButton(text(UpdatesSettingsModel::releaseNotesButtonTitle()));
    connect(check, &QPushButton::clicked, this, [model] { model->checkForUpdates(); });
    connect(notes, &QPushButton::clicked, this, [model] { model->openReleaseNotes(); });
    auto* buttons = new FlowRow(8);
    buttons->addWidget(check);
    buttons->addWidget(notes);
    content->addLayout(buttons);
    card->addRow(paddedRow(content, 10));
    onRefresh([=] {
        versionText->setText(text(model->versionText()));
        automatic->setEnabled(model->canChangeAutomaticChecks());
        check->setEnabled(model->canCheckForUpdates());
    });
    column()->addStretch();
    connect(model, &UpdatesSettingsModel::changed, this, &SettingsPage::refresh);
    model->pageDidAppear();
}

UpdatesSettingsPage::~UpdatesSettingsPage() = default;

AboutSettingsPage::AboutSettingsPage(const AppContext& context) {
    auto model = std::make_shared<AboutSettingsModel>(context.platform.bundle, context.platform.workspace,
                                                      [commands = context.commands] {
                                                          if (auto owner = commands.lock())
                                                              owner->relaunchOnboarding();
                                                      });
    Card* card = addSection({}, {}, false);
    auto* content = new QVBoxLayout;
    content->setSpacing(6);
    content->addWidget(makeLabel(text(AboutSettingsModel::heading()), "headline"));
    content->addWidget(makeLabel(QString::fromStdString(model->versionLine()), "secondary"));
    content->addWidget(
        makeLabel(text(AboutSettingsModel::caption(context.platform.features.machine)), "caption", true));
    const std::pair<const char*, void (AboutSettingsModel::*)()> links[] = {
        {QT_TR_NOOP("Show Welcome Guide…"), &AboutSettingsModel::showWelcomeGuide},
        {QT_TR_NOOP("Contact Support"), &AboutSettingsModel::contactSupport},
        {QT_TR_NOOP("Privacy Policy"), &AboutSettingsModel::openPrivacyPolicy}};
    for (auto [title, action] : links) {
        QPushButton* button = makeButton(tr(title));
        connect(button, &QPushButton::clicked, this, [model, action = action] { (model.get()->*action)(); });
        auto* line = new QHBoxLayout;
        line->addWidget(button);
        line->addStretch();
        content->addLayout(line);
    }
    card->addRow(paddedRow(content, 10));
    column()->addStretch();
}

} // namespace tallowmere
