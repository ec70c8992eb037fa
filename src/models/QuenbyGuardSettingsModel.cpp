#include "models/QuenbyGuardSettingsModel.h"

#include "base/Preferences.h"
#include "guard/ActivationDuration.h"
#include "platform/Translation.h"

#include <algorithm>
#include <charconv>
#include <climits>

namespace tallowmere {
namespace {

const char* key(QuenbyGuardSettingsModel::Switch toggle) {
    using Switch = QuenbyGuardSettingsModel::Switch;
    switch (toggle) {
    case Switch::stayAwakeEnabled:
        return PreferenceKey::stayAwakeEnabled;
    case Switch::activateStayAwakeOnLaunch:
        return PreferenceKey::activateStayAwakeOnLaunch;
    case Switch::allowDisplaySleep:
        return PreferenceKey::allowDisplaySleep;
    case Switch::activateOnExternalDisplay:
        return PreferenceKey::activateOnExternalDisplay;
    case Switch::deactivateOnUserSwitch:
        return PreferenceKey::deactivateOnUserSwitch;
    }
    return "";
}

// What the sheet's number formatter accepts: a whole number from 0 to 999, optionally padded with spaces.
std::optional<int> sheetFieldValue(std::string_view text) {
    auto isSpace = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && isSpace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isSpace(text.back()))
        text.remove_suffix(1);
    if (text.empty() || !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    int value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || value > QuenbyGuardSettingsModel::sheetFieldMaximum)
        return std::nullopt;
    return value;
}

} // namespace

QuenbyGuardSettingsModel::QuenbyGuardSettingsModel(Runtime& runtime, PreferenceStore& preferences)
    : m_preferences(preferences)
    , m_subscription(runtime, preferences, [this] { emit changed(); }) {}

std::string QuenbyGuardSettingsModel::title(Switch toggle) {
    switch (toggle) {
    case Switch::stayAwakeEnabled:
        return translated("QuenbyGuardSettingsModel", "Quenby Guard Active");
    case Switch::activateStayAwakeOnLaunch:
        return translated("QuenbyGuardSettingsModel", "Activate Quenby Guard on Launch");
    case Switch::allowDisplaySleep:
        return translated("QuenbyGuardSettingsModel", "Allow display to sleep");
    case Switch::activateOnExternalDisplay:
        return translated("QuenbyGuardSettingsModel", "Activate if an external display is connected");
    case Switch::deactivateOnUserSwitch:
        return translated("QuenbyGuardSettingsModel", "Deactivate if switching to another user account");
    }
    return {};
}

bool QuenbyGuardSettingsModel::isOn(Switch toggle) const {
    return m_preferences.boolValue(key(toggle));
}

void QuenbyGuardSettingsModel::setOn(Switch toggle, bool on) {
    m_preferences.setBool(key(toggle), on);
    emit changed();
}

double QuenbyGuardSettingsModel::customStayAwakeSeconds() const {
    return m_preferences.doubleValue(PreferenceKey::customStayAwakeSeconds);
}

std::vector<QuenbyGuardSettingsModel::DurationRow> QuenbyGuardSettingsModel::durationRows() const {
    const bool useCustom = m_preferences.boolValue(PreferenceKey::useCustomStayAwakeDefault);
    const std::int64_t defaultIndex = m_preferences.integerValue(PreferenceKey::activationDurationIndex);
    std::vector<DurationRow> rows;
    for (ActivationDuration duration : allActivationDurations) {
        const int tag = static_cast<int>(duration);
        rows.push_back({tag, tallowmere::title(duration), !useCustom && defaultIndex == tag});
    }
    if (const double custom = customStayAwakeSeconds(); custom > 0)
        rows.push_back({customRowTag,
                        filledIn(translated("QuenbyGuardSettingsModel", "Custom – %1"), customDurationWords(custom)),
                        useCustom});
    return rows;
}

void QuenbyGuardSettingsModel::selectDuration(int tag) {
    const bool hasRow = activationDurationFromRawValue(tag) || (tag == customRowTag && customStayAwakeSeconds() > 0);
    if (!hasRow)
        return;
    setSelectedDurationIndex(tag);
    emit changed();
}

void QuenbyGuardSettingsModel::setSelectedDurationIndex(int index) {
    if (index == m_selectedDurationIndex)
        return;
    m_selectedDurationIndex = index;
    if (activationDurationFromRawValue(index)) {
        m_selectedDurationIsCustom = false;
        m_preferences.setInteger(PreferenceKey::activationDurationIndex, index);
        m_preferences.setBool(PreferenceKey::useCustomStayAwakeDefault, false);
    } else if (index == customRowTag) {
        m_selectedDurationIsCustom = true;
        m_preferences.setBool(PreferenceKey::useCustomStayAwakeDefault, true);
    }
    // A corrupt stored index highlights no row and makes nothing the default.
}

void QuenbyGuardSettingsModel::reset() {
    m_preferences.setInteger(PreferenceKey::activationDurationIndex, 0);
    m_preferences.setBool(PreferenceKey::useCustomStayAwakeDefault, false);
    m_selectedDurationIsCustom = false;
    setSelectedDurationIndex(0);
    emit changed();
}

void QuenbyGuardSettingsModel::makeHighlightedDefault() {
    if (m_selectedDurationIsCustom) {
        if (customStayAwakeSeconds() > 0)
            m_preferences.setBool(PreferenceKey::useCustomStayAwakeDefault, true);
    } else {
        m_preferences.setInteger(PreferenceKey::activationDurationIndex, m_selectedDurationIndex);
        m_preferences.setBool(PreferenceKey::useCustomStayAwakeDefault, false);
    }
    emit changed();
}

void QuenbyGuardSettingsModel::addCustomDuration() {
    if (const double custom = customStayAwakeSeconds(); custom > 0) {
        const std::int64_t total = wholeSeconds(custom);
        m_customHours = static_cast<int>(total / 3600);
        m_customMinutes = static_cast<int>(total % 3600 / 60);
        m_customSecondsInput = static_cast<int>(total % 60);
    } else {
        m_customHours = 1;
        m_customMinutes = 0;
        m_customSecondsInput = 0;
    }
    m_showCustomDurationSheet = true;
    emit changed();
}

bool QuenbyGuardSettingsModel::canRemoveCustomDuration() const {
    return customStayAwakeSeconds() > 0;
}

void QuenbyGuardSettingsModel::removeCustomDuration() {
    if (!canRemoveCustomDuration())
        return;
    m_preferences.setDouble(PreferenceKey::customStayAwakeSeconds, 0.0);
    if (m_preferences.boolValue(PreferenceKey::useCustomStayAwakeDefault))
        m_preferences.setBool(PreferenceKey::useCustomStayAwakeDefault, false);
    if (m_selectedDurationIsCustom) {
        m_selectedDurationIsCustom = false;
        setSelectedDurationIndex(storedDurationIndex());
    }
    emit changed();
}

bool QuenbyGuardSettingsModel::setCustomHours(std::string_view text) {
    return setSheetField(m_customHours, text);
}

bool QuenbyGuardSettingsModel::setCustomMinutes(std::string_view text) {
    return setSheetField(m_customMinutes, text);
}

bool QuenbyGuardSettingsModel::setCustomSecondsInput(std::string_view text) {
    return setSheetField(m_customSecondsInput, text);
}

bool QuenbyGuardSettingsModel::setSheetField(int& field, std::string_view text) {
    const auto value = sheetFieldValue(text);
    if (value)
        field = *value;
    // Also when refused, so that the field shows the value it kept.
    emit changed();
    return value.has_value();
}

void QuenbyGuardSettingsModel::cancelSheet() {
    m_showCustomDurationSheet = false;
    emit changed();
}

void QuenbyGuardSettingsModel::addDuration() {
    const int total = m_customHours * 3600 + m_customMinutes * 60 + m_customSecondsInput;
    if (total > 0) {
        m_preferences.setDouble(PreferenceKey::customStayAwakeSeconds, static_cast<double>(total));
        m_preferences.setBool(PreferenceKey::useCustomStayAwakeDefault, true);
        m_selectedDurationIsCustom = true;
    }
    m_showCustomDurationSheet = false;
    emit changed();
}

void QuenbyGuardSettingsModel::pageDidAppear() {
    // Assigned without the highlight handler: running it here would clear a custom default (whenever the stored
    // index is not 0) merely because the page was opened.
    m_selectedDurationIndex = storedDurationIndex();
    m_selectedDurationIsCustom = m_preferences.boolValue(PreferenceKey::useCustomStayAwakeDefault);
    emit changed();
}

int QuenbyGuardSettingsModel::storedDurationIndex() const {
    return static_cast<int>(
        std::clamp<std::int64_t>(m_preferences.integerValue(PreferenceKey::activationDurationIndex), INT_MIN, INT_MAX));
}

} // namespace tallowmere
