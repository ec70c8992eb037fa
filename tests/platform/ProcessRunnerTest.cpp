#include "platform/QtProcessRunner.h"

#include <gtest/gtest.h>

using tallowmere::ProcessRequest;
using tallowmere::QtProcessRunner;

namespace {

// Arguments passed whole without a shell, and the time limit, are seen end to end with odd volume names and a hung
// drive (tests/e2e); these are what those runs do not reach.
TEST(ProcessRunner, CapturesMegabytesOnBothStreamsWithoutDeadlock) {
    QtProcessRunner runner;
    constexpr long size = 10 * 1024 * 1024;
    ProcessRequest request{PROCESS_PROBE, {"spew", std::to_string(size)}};
    request.captureStandardError = true;
    auto result = runner.run(request);
    ASSERT_TRUE(result.succeeded());
    EXPECT_EQ(result.standardOutput.size(), static_cast<size_t>(size));
    EXPECT_EQ(result.standardError.size(), static_cast<size_t>(size));
    EXPECT_EQ(result.standardOutput.find('e'), std::string::npos);
    EXPECT_EQ(result.standardError.find('o'), std::string::npos);
}

TEST(ProcessRunner, ReportsNonZeroExitApartFromFailureToStartAndCapturesOnlyWhatIsAsked) {
    QtProcessRunner runner;
    ProcessRequest request{PROCESS_PROBE, {"exit", "3"}};
    request.captureStandardError = true;
    auto failed = runner.run(request);
    EXPECT_TRUE(failed.started);
    EXPECT_EQ(failed.exitStatus, 3);
    EXPECT_FALSE(failed.succeeded());
    EXPECT_EQ(failed.standardOutput, "out");
    EXPECT_EQ(failed.standardError, "err");
    request.captureStandardOutput = false;
    auto errorOnly = runner.run(request);
    EXPECT_EQ(errorOnly.standardOutput, "");
    EXPECT_EQ(errorOnly.standardError, "err");

    auto missing = runner.run({"/nonexistent/tool/diskutil", {"list"}});
    EXPECT_FALSE(missing.started);
    EXPECT_FALSE(missing.errorDescription.empty());
    EXPECT_FALSE(missing.succeeded());

    EXPECT_FALSE(runner.launchDetached(PROCESS_PROBE, {"exit", "0"}).has_value());
    auto error = runner.launchDetached("/nonexistent/usr/bin/pmset", {"sleepnow"});
    ASSERT_TRUE(error.has_value());
    EXPECT_FALSE(error->empty());
}

} // namespace
