#pragma once

#include "models/PreferenceBinding.h"
#include "platform/PreferenceStore.h"
#include "platform/Runtime.h"

#include <QObject>

#include <string>
#include <string_view>
#include <vector>

namespace tallowmere {

// The Quenby Guard page and its custom-duration sheet. Everything it does is a preference write; the
// application delegate reacts to those. Main thread; create one per showing of the page.
class QuenbyGuardSettingsModel : public QObject {
    Q_OBJECT

public:
    // The page's switches, in page order.
    enum class Switch {
        stayAwakeEnabled,
        activateStayAwakeOnLaunch,
        allowDisplaySleep,
        activateOnExternalDisplay,
        deactivateOnUserSwitch,
    };
    // One row of the duration list: 0…9 for the fixed durations, `customRowTag` for the custom one.
    struct DurationRow {
        int tag = 0;
        std::string title;
        bool isDefault = false;
        bool operator==(const DurationRow&) const = default;
    };
    static constexpr int customRowTag = 10;
    static constexpr int sheetFieldMaximum = 999;

    QuenbyGuardSettingsModel(Runtime& runtime, PreferenceStore& preferences);

    static std::string title(Switch toggle);
    bool isOn(Switch toggle) const;
    void setOn(Switch toggle, bool on);

    // The duration list.
    std::vector<DurationRow> durationRows() const;
    int selectedDurationIndex() const { return m_selectedDurationIndex; }
    bool selectedDurationIsCustom() const { return m_selectedDurationIsCustom; }
    // Highlighting a row makes it the default at once. A tag without a row is ignored.
    void selectDuration(int tag);
    // "Reset", "Default", "Add", "Remove".
    void reset();
    void makeHighlightedDefault();
    void addCustomDuration();
    bool canRemoveCustomDuration() const;
    void removeCustomDuration();

    // The custom-duration sheet.
    bool showCustomDurationSheet() const { return m_showCustomDurationSheet; }
    int customHours() const { return m_customHours; }
    int customMinutes() const { return m_customMinutes; }
    int customSecondsInput() const { return m_customSecondsInput; }
    // Each field takes a whole number from 0 to 999; anything else is refused and the field keeps its value.
    bool setCustomHours(std::string_view text);
    bool setCustomMinutes(std::string_view text);
    bool setCustomSecondsInput(std::string_view text);
    // "Cancel", "Add Duration".
    void cancelSheet();
    void addDuration();

    // Each time the page comes on screen.
    void pageDidAppear();

signals:
    void changed();

private:
    double customStayAwakeSeconds() const;
    int storedDurationIndex() const;
    void setSelectedDurationIndex(int index);
    bool setSheetField(int& field, std::string_view text);

    PreferenceStore& m_preferences;
    int m_selectedDurationIndex = 0;
    bool m_selectedDurationIsCustom = false;
    bool m_showCustomDurationSheet = false;
    int m_customHours = 1;
    int m_customMinutes = 0;
    int m_customSecondsInput = 0;
    PreferenceSubscription m_subscription;
};

} // namespace tallowmere
