#pragma once

#include "analytics/Analytics.h"
#include "guard/StayAwakeController.h"
#include "support/FakePowerAssertions.h"
#include "support/FakePowerSources.h"
#include "support/FakeSignalSender.h"
#include "support/FakeUserNotificationCenter.h"

#include <memory>

namespace tallowmere::test {

// Quenby Guard's controller on fakes of the ports it uses, for tests of what drives it.
struct GuardOnFakes {
    GuardOnFakes(Runtime& runtime, PreferenceStore& preferences)
        : analytics(runtime, preferences, [this] { return signalSender; })
        , guard(
              StayAwakeController::create({runtime, preferences, assertions, powerSources, notifications, analytics})) {
    }

    FakePowerAssertions assertions;
    FakePowerSources powerSources;
    FakeUserNotificationCenter notifications;
    std::shared_ptr<FakeSignalSender> signalSender = std::make_shared<FakeSignalSender>();
    Analytics analytics;
    std::shared_ptr<StayAwakeController> guard;
};

} // namespace tallowmere::test
