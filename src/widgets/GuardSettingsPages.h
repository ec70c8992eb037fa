#pragma once

#include "widgets/SettingsPage.h"

#include <QPointer>

#include <memory>

class QListWidget;

namespace tallowmere {

struct AppContext;
class BatterySettingsModel;
class QuenbyGuardSettingsModel;
class Sheet;

// The Quenby Guard page: the guard's switches, the default duration with the custom one, and the sheet that
// adds a custom duration.
class QuenbyGuardSettingsPage : public SettingsPage {
    Q_OBJECT
public:
    explicit QuenbyGuardSettingsPage(const AppContext& context);
    ~QuenbyGuardSettingsPage() override;

private:
    void redrawDurations();
    void showOrHideSheet();

    std::unique_ptr<QuenbyGuardSettingsModel> m_model;
    QListWidget* m_durations;
    QPointer<Sheet> m_sheet;
};

// The Battery page: the charge threshold and the Low Power Mode rule; read-only without a battery.
class BatterySettingsPage : public SettingsPage {
    Q_OBJECT
public:
    explicit BatterySettingsPage(const AppContext& context);
    ~BatterySettingsPage() override;

private:
    std::unique_ptr<BatterySettingsModel> m_model;
};

} // namespace tallowmere
