#pragma once

#include "platform/ProcessRunner.h"

#include <algorithm>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace tallowmere::test {

// A scripted child-process runner: rules map a request to a result; every call is recorded. Later rules take
// precedence, so a test can override a general script. Unmatched calls exit with 127. Streams a request does
// not capture come back empty, as they would for real.
class FakeProcessRunner : public ProcessRunner {
public:
    using Matcher = std::function<bool(const ProcessRequest&)>;
    using Responder = std::function<ProcessResult(const ProcessRequest&)>;

    static ProcessResult exited(int status, std::string output = {}, std::string error = {}) {
        return {true, {}, status, false, std::move(output), std::move(error)};
    }
    static ProcessResult notStarted(std::string description = "The file could not be found.") {
        return {false, std::move(description), -1, false, {}, {}};
    }
    static ProcessResult timedOut() {
        return {true, "The process did not finish within its time limit.", -1, true, {}, {}};
    }

    void on(std::vector<std::string> arguments, ProcessResult result) {
        when([arguments](const ProcessRequest& r) { return r.arguments == arguments; },
             [result](const ProcessRequest&) { return result; });
    }
    void when(Matcher matches, Responder respond) {
        std::lock_guard lock(m_mutex);
        m_rules.insert(m_rules.begin(), {std::move(matches), std::move(respond)});
    }
    void setDetachedError(std::optional<std::string> error) {
        std::lock_guard lock(m_mutex);
        m_detachedError = std::move(error);
    }

    ProcessResult run(const ProcessRequest& request) override {
        Responder respond = [](const ProcessRequest&) { return exited(127, {}, "FakeProcessRunner: no rule\n"); };
        {
            std::lock_guard lock(m_mutex);
            m_calls.push_back(request);
            auto rule = std::find_if(m_rules.begin(), m_rules.end(), [&](const auto& r) { return r.first(request); });
            if (rule != m_rules.end())
                respond = rule->second;
        }
        ProcessResult result = respond(request);
        if (!request.captureStandardOutput)
            result.standardOutput.clear();
        if (!request.captureStandardError)
            result.standardError.clear();
        return result;
    }
    std::optional<std::string> launchDetached(const std::string& executable,
                                              const std::vector<std::string>& arguments) override {
        std::lock_guard lock(m_mutex);
        m_detached.push_back(arguments);
        m_detached.back().insert(m_detached.back().begin(), executable);
        return m_detachedError;
    }
    // Each detached launch: the executable, then its arguments.
    std::vector<std::vector<std::string>> detached() const {
        std::lock_guard lock(m_mutex);
        return m_detached;
    }

    std::vector<ProcessRequest> calls() const {
        std::lock_guard lock(m_mutex);
        return m_calls;
    }
    std::vector<std::vector<std::string>> argumentLists() const {
        std::vector<std::vector<std::string>> lists;
        for (const ProcessRequest& call : calls())
            lists.push_back(call.arguments);
        return lists;
    }
    int count(const Matcher& matches) const {
        std::lock_guard lock(m_mutex);
        return static_cast<int>(std::count_if(m_calls.begin(), m_calls.end(), matches));
    }
    int count(const std::vector<std::string>& arguments) const {
        return count([&](const ProcessRequest& call) { return call.arguments == arguments; });
    }
    void clearCalls() {
        std::lock_guard lock(m_mutex);
        m_calls.clear();
    }

private:
    mutable std::mutex m_mutex;
    std::vector<std::pair<Matcher, Responder>> m_rules; // the latest first
    std::optional<std::string> m_detachedError;
    std::vector<std::vector<std::string>> m_detached;
    std::vector<ProcessRequest> m_calls;
};

} // namespace tallowmere::test
