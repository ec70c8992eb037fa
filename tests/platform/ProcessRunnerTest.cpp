#include "platform/QtProcessRunner.h"

#include <gtest/gtest.h>

#include <chrono>

using tallowmere::ProcessRequest;
using tallowmere::QtProcessRunner;

namespace {

std::vector<std::string> splitNul(const std::string& bytes) {
    std::vector<std::string> parts;
    for (std::size_t start = 0, end; (end = bytes.find('\0', start)) != std::string::npos; start = end + 1)
        parts.push_back(bytes.substr(start, end - start));
    return parts;
}

TEST(ProcessRunner, PassesArgumentsVerbatimWithoutAShell) {
    QtProcessRunner runner;
    std::vector<std::string> arguments = {
        "My Passport", "it's \"quoted\"", "line\nbreak", "-leading-dash", "Ünïcødé 写真", "$HOME", "*", "a;b|c&&d", "",
        "`x`"};
    std::vector<std::string> argv = {"args"};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    auto result = runner.run({PROCESS_PROBE, argv});
    ASSERT_TRUE(result.started) << result.errorDescription;
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(splitNul(result.standardOutput), arguments);
}

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

TEST(ProcessRunner, EndsAChildThatOutrunsItsTimeLimit) {
    QtProcessRunner runner;
    ProcessRequest request{PROCESS_PROBE, {"hang"}};
    request.timeLimit = std::chrono::milliseconds(200);
    auto started = std::chrono::steady_clock::now();
    auto result = runner.run(request);
    EXPECT_TRUE(result.started);
    EXPECT_TRUE(result.timedOut);
    EXPECT_FALSE(result.succeeded());
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(10));
}

} // namespace
