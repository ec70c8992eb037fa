#include "guard/BatteryRules.h"
#include "support/FakePowerSources.h"

#include <gtest/gtest.h>

using namespace tallowmere;
using tallowmere::test::FakePowerSources;
using Descriptions = FakePowerSources::Descriptions;

namespace {

TEST(BatteryRules, ChargeIsCurrentOverMaximumUnroundedAndNoSnapshotMeansNoBattery) {
    FakePowerSources sources;
    EXPECT_FALSE(hasInternalBattery(sources));
    EXPECT_FALSE(batteryPercentage(sources));
    sources.setDescriptions(Descriptions{});
    EXPECT_FALSE(hasInternalBattery(sources));
    EXPECT_FALSE(batteryPercentage(sources));

    sources.setDescriptions(Descriptions{FakePowerSources::battery(std::int64_t(45), std::int64_t(90))});
    EXPECT_TRUE(hasInternalBattery(sources));
    EXPECT_EQ(batteryPercentage(sources), 50.0);
    sources.setDescriptions(Descriptions{FakePowerSources::battery(std::int64_t(4999), 6000.0)});
    EXPECT_DOUBLE_EQ(*batteryPercentage(sources), 4999.0 / 6000.0 * 100);
}

TEST(BatteryRules, UnusableSourcesAreSkippedForTheNextInternalBattery) {
    FakePowerSources sources;
    Descriptions descriptions{
        std::nullopt,                                                          // no description
        PropertyValue("InternalBattery"),                                      // not a dictionary
        FakePowerSources::battery(std::int64_t(10), std::int64_t(100), "UPS"), // not internal
        PropertyDictionary{{"Type", std::int64_t(1)}},                         // type not text
        FakePowerSources::battery(std::int64_t(10), std::int64_t(0)),          // no maximum
        FakePowerSources::battery(std::int64_t(10), std::int64_t(-100)),       // negative maximum
        FakePowerSources::battery(true, std::int64_t(100)),                    // a Boolean is no number
        FakePowerSources::battery("10", std::int64_t(100)),                    // nor is text
        FakePowerSources::battery(std::int64_t(30), std::int64_t(60)),         // the first usable one
        FakePowerSources::battery(std::int64_t(5), std::int64_t(100)),
    };
    sources.setDescriptions(descriptions);
    EXPECT_EQ(batteryPercentage(sources), 50.0);

    // An internal battery with unusable capacities still counts as a battery, but gives no charge.
    sources.setDescriptions(Descriptions{FakePowerSources::battery(std::int64_t(10), std::int64_t(0))});
    EXPECT_TRUE(hasInternalBattery(sources));
    EXPECT_FALSE(batteryPercentage(sources));
    sources.setDescriptions(Descriptions{FakePowerSources::battery(std::int64_t(10), std::int64_t(100), "UPS")});
    EXPECT_FALSE(hasInternalBattery(sources));
}

} // namespace
