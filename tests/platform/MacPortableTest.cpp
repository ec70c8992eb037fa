#include "guard/BatteryRules.h"
#include "platform/DecimalText.h"
#include "platform/PreferenceObservers.h"
#include "platform/PropertyList.h"
#include "platform/UserNotificationService.h"
#include "support/FakePowerSources.h"

#include <gtest/gtest.h>

#include <thread>

using namespace tallowmere;

namespace {

TEST(DecimalText, ReadsTheLeadingDecimalNumberAndNothingElse) {
    using Read = std::optional<std::pair<double, std::size_t>>;
    EXPECT_EQ(DecimalText::leadingNumber("-12.5e3 apples"), (Read{{-12500.0, 7}}));
    EXPECT_EQ(DecimalText::leadingNumber(".5"), (Read{{0.5, 2}}));
    EXPECT_EQ(DecimalText::leadingNumber("5.,"), (Read{{5.0, 2}}));
    EXPECT_EQ(DecimalText::leadingNumber("2e"), (Read{{2.0, 1}}));
    EXPECT_EQ(DecimalText::leadingNumber("1,5"), (Read{{1.0, 1}}));
    EXPECT_EQ(DecimalText::leadingNumber("0x1p3"), (Read{{0.0, 1}}));
    EXPECT_EQ(DecimalText::wholeNumber("-0.25"), -0.25);
    EXPECT_EQ(DecimalText::wholeNumber("2e"), std::nullopt);
    for (const char* none : {"", "-", ".", "-.e5", "+1", "abc", "inf", "1e999"})
        EXPECT_EQ(DecimalText::leadingNumber(none), std::nullopt) << none;
}

TEST(PreferenceObservers, AWriteNotifiesOnceAndItsEchoIsDroppedOnlyOnItsOwnThread) {
    PreferenceObservers observers;
    PreferenceObservers other;
    int notices = 0;
    auto id = observers.add([&] { ++notices; });
    int otherNotices = 0;
    other.add([&] { ++otherNotices; });

    observers.ownWrite([&] {
        observers.platformReported(); // the echo of this write
        other.platformReported();     // another store's change in the meantime
        std::thread([&] { observers.platformReported(); }).join();
    });
    EXPECT_EQ(notices, 2); // the write and the report from the other thread
    EXPECT_EQ(otherNotices, 1);
    observers.platformReported(); // another process changed a key
    EXPECT_EQ(notices, 3);

    observers.remove(id);
    observers.ownWrite([] {});
    EXPECT_EQ(notices, 3);

    EXPECT_TRUE(observers.isFirstUse("batteryCap"));
    EXPECT_FALSE(observers.isFirstUse("batteryCap"));
}

TEST(UserNotificationService, MapsTheServicesStatusesAndServesOnlyTheBundlesExecutable) {
    using enum AuthorizationStatus;
    const std::pair<std::int64_t, AuthorizationStatus> statuses[] = {
        {0, notDetermined}, {1, denied}, {2, authorized}, {3, provisional}, {4, ephemeral}, {5, denied}, {-1, denied}};
    for (auto [raw, status] : statuses)
        EXPECT_EQ(UserNotificationService::statusFromRawValue(raw), status) << raw;

    EXPECT_TRUE(UserNotificationService::servesExecutable("/Applications/Tallowmere.app/Contents/MacOS/Tallowmere"));
    for (const char* bare :
         {"/Users/me/tallowmere/build/src/tallowmere", "/Applications/Tallowmere.app/Contents/MacOS/",
          "/A/Tallowmere.app/Contents/MacOS/helpers/tool", "/.app/Contents/MacOS/Tallowmere"})
        EXPECT_FALSE(UserNotificationService::servesExecutable(bare)) << bare;
}

// A power-source description as the Mac adapter receives it, in the XML that Foundation writes.
TEST(MacPowerSourceDescription, ReachesTheBatteryRulesWithItsTypes) {
    const char* xml = R"(<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE plist PUBLIC "-//Apple//DTD PLIST 1.0//EN" "http://www.apple.com/DTDs/PropertyList-1.0.dtd">
<plist version="1.0">
<dict>
	<key>Current Capacity</key>
	<integer>45</integer>
	<key>Max Capacity</key>
	<integer>90</integer>
	<key>Type</key>
	<string>InternalBattery</string>
</dict>
</plist>
)";
    test::FakePowerSources sources;
    sources.setDescriptions(test::FakePowerSources::Descriptions{PropertyList::parse(xml)});
    EXPECT_TRUE(hasInternalBattery(sources));
    EXPECT_EQ(batteryPercentage(sources), 50.0);
}

} // namespace
