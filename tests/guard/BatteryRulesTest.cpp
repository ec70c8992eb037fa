#include "guard/BatteryRules.h"
#include "support/FakePowerSources.h"

#include <gtest/gtest.h>

using namespace tallowmere;
using tallowmere::test::FakePowerSources;
using Descriptions = FakePowerSources::Descriptions;

namespace {

TEST(BatteryRules, TheFirstUsableInternalBatteryGivesTheChargeUnroundedAndNoSnapshotMeansNoBattery) {
    auto battery = [](PropertyValue current, PropertyValue maximum, std::string type = "InternalBattery") {
        return std::optional(FakePowerSources::battery(std::move(current), std::move(maximum), std::move(type)));
    };
    using I = std::int64_t;
    const std::vector<std::tuple<std::optional<Descriptions>, bool, std::optional<double>>> cases = {
        {std::nullopt, false, std::nullopt},
        {Descriptions{}, false, std::nullopt},
        {Descriptions{battery(I(1), I(8))}, true, 12.5},
        {Descriptions{battery(I(45), 90.0)}, true, 50.0},
        // An internal battery with unusable capacities still counts as a battery, but gives no charge.
        {Descriptions{battery(I(10), I(0))}, true, std::nullopt},
        {Descriptions{battery(I(10), I(100), "UPS")}, false, std::nullopt},
        {Descriptions{std::nullopt, PropertyValue("InternalBattery"), battery(I(10), I(100), "UPS"),
                      PropertyDictionary{{"Type", I(1)}}, battery(I(10), I(-100)), battery(true, I(100)),
                      battery("10", I(100)), battery(I(30), I(60)), battery(I(5), I(100))},
         true, 50.0},
    };
    for (const auto& [descriptions, hasBattery, charge] : cases) {
        FakePowerSources sources;
        sources.setDescriptions(descriptions);
        EXPECT_EQ(hasInternalBattery(sources), hasBattery);
        EXPECT_EQ(batteryPercentage(sources), charge) << (charge ? *charge : -1);
    }
}

} // namespace
