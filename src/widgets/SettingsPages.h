#pragma once

#include "base/SettingsSection.h"
#include "widgets/SettingsPage.h"

#include <memory>

class QLabel;
class QVBoxLayout;

namespace tallowmere {

class AppDelegate;
class AutoEjectSettingsModel;
class BusyIndicator;
class Card;
class GeneralSettingsModel;
class UpdatesSettingsModel;

// The page of a section of the settings window, built fresh each time the section is chosen.
SettingsPage* makeSettingsPage(SettingsSection section, AppDelegate& delegate);

class GeneralSettingsPage : public SettingsPage {
    Q_OBJECT
public:
    explicit GeneralSettingsPage(AppDelegate& delegate);
    ~GeneralSettingsPage() override;

private:
    std::unique_ptr<GeneralSettingsModel> m_model;
};

class AutoEjectSettingsPage : public SettingsPage {
    Q_OBJECT
public:
    explicit AutoEjectSettingsPage(AppDelegate& delegate);
    ~AutoEjectSettingsPage() override;

private:
    void redrawVolumes();

    std::unique_ptr<AutoEjectSettingsModel> m_model;
    QVBoxLayout* m_volumes = nullptr;
    // What the volume list shows now, so that it is rebuilt only when that changes.
    QString m_shownVolumes;
};

class UpdatesSettingsPage : public SettingsPage {
    Q_OBJECT
public:
    explicit UpdatesSettingsPage(AppDelegate& delegate);
    ~UpdatesSettingsPage() override;

private:
    std::unique_ptr<UpdatesSettingsModel> m_model;
};

class AboutSettingsPage : public SettingsPage {
    Q_OBJECT
public:
    explicit AboutSettingsPage(AppDelegate& delegate);
};

} // namespace tallowmere
