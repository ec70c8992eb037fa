#pragma once

#include "platform/ProcessRunner.h"

#include <algorithm>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace tallowmere::test {

// A scripted child-process runner: rules map an argument vector (optionally with its executable) to an exit
// status and output; every call is recorded. Later rules take precedence over earlier ones, so a test can
// override a general script. Streams a request does not capture come back empty, as they would for real.
class FakeProcessRunner : public ProcessRunner {
public:
    using Matcher = std::function<bool(const ProcessRequest&)>;
    using Responder = std::function<ProcessResult(const ProcessRequest&)>;

    static ProcessResult exited(int status, std::string output = {}, std::string error = {}) {
        ProcessResult result;
        result.started = true;
        result.exitStatus = status;
        result.standardOutput = std::move(output);
        result.standardError = std::move(error);
        return result;
    }
    static ProcessResult notStarted(std::string description = "The file could not be found.") {
        ProcessResult result;
        result.errorDescription = std::move(description);
        return result;
    }
    static ProcessResult timedOut() {
        ProcessResult result;
        result.started = true;
        result.timedOut = true;
        result.errorDescription = "The process did not finish within its time limit.";
        return result;
    }

    // Successive matching calls take successive results; the last one repeats.
    void on(std::vector<std::string> arguments, std::vector<ProcessResult> results) {
        addSequence([arguments](const ProcessRequest& r) { return r.arguments == arguments; }, std::move(results));
    }
    void on(std::vector<std::string> arguments, ProcessResult result) {
        on(std::move(arguments), std::vector<ProcessResult>{std::move(result)});
    }
    void on(std::string executable, std::vector<std::string> arguments, ProcessResult result) {
        addSequence([executable, arguments](
                        const ProcessRequest& r) { return r.executable == executable && r.arguments == arguments; },
                    {std::move(result)});
    }
    void when(Matcher matches, Responder respond) {
        std::lock_guard lock(m_mutex);
        m_rules.push_back({std::move(matches), std::move(respond)});
    }
    // The answer when no rule matches (at first: exit status 127 with a note on standard error).
    void setFallback(Responder respond) {
        std::lock_guard lock(m_mutex);
        m_fallback = std::move(respond);
    }
    void clearRules() {
        std::lock_guard lock(m_mutex);
        m_rules.clear();
    }
    void setDetachedError(std::optional<std::string> error) {
        std::lock_guard lock(m_mutex);
        m_detachedError = std::move(error);
    }

    ProcessResult run(const ProcessRequest& request) override {
        Responder respond;
        {
            std::lock_guard lock(m_mutex);
            m_calls.push_back(request);
            auto rule = std::find_if(m_rules.rbegin(), m_rules.rend(),
                                     [&](const Rule& candidate) { return candidate.matches(request); });
            respond = rule != m_rules.rend() ? rule->respond : m_fallback;
        }
        ProcessResult result = respond(request);
        if (!result.started) {
            result.exitStatus = -1;
            result.standardOutput.clear();
            result.standardError.clear();
        }
        if (!request.captureStandardOutput)
            result.standardOutput.clear();
        if (!request.captureStandardError)
            result.standardError.clear();
        return result;
    }

    std::optional<std::string> launchDetached(const std::string& executable,
                                              const std::vector<std::string>& arguments) override {
        std::lock_guard lock(m_mutex);
        m_detached.emplace_back(executable, arguments);
        return m_detachedError;
    }

    std::vector<ProcessRequest> calls() const {
        std::lock_guard lock(m_mutex);
        return m_calls;
    }
    std::vector<std::vector<std::string>> argumentLists() const {
        std::lock_guard lock(m_mutex);
        std::vector<std::vector<std::string>> lists;
        for (const ProcessRequest& call : m_calls)
            lists.push_back(call.arguments);
        return lists;
    }
    int count(const std::vector<std::string>& arguments) const {
        std::lock_guard lock(m_mutex);
        return static_cast<int>(std::count_if(m_calls.begin(), m_calls.end(),
                                              [&](const ProcessRequest& call) { return call.arguments == arguments; }));
    }
    int count(const Matcher& matches) const {
        std::lock_guard lock(m_mutex);
        return static_cast<int>(std::count_if(m_calls.begin(), m_calls.end(), matches));
    }
    std::vector<ProcessRequest> detachedCalls() const {
        std::lock_guard lock(m_mutex);
        std::vector<ProcessRequest> calls;
        for (const auto& [executable, arguments] : m_detached)
            calls.emplace_back(executable, arguments);
        return calls;
    }
    void clearCalls() {
        std::lock_guard lock(m_mutex);
        m_calls.clear();
        m_detached.clear();
    }

private:
    struct Rule {
        Matcher matches;
        Responder respond;
    };
    struct Sequence {
        std::mutex mutex;
        std::vector<ProcessResult> results;
        std::size_t next = 0;
    };

    void addSequence(Matcher matches, std::vector<ProcessResult> results) {
        if (results.empty())
            results.push_back(exited(0));
        auto sequence = std::make_shared<Sequence>();
        sequence->results = std::move(results);
        when(std::move(matches), [sequence](const ProcessRequest&) {
            std::lock_guard lock(sequence->mutex);
            const ProcessResult& result = sequence->results[sequence->next];
            if (sequence->next + 1 < sequence->results.size())
                ++sequence->next;
            return result;
        });
    }

    mutable std::mutex m_mutex;
    std::vector<Rule> m_rules;
    Responder m_fallback = [](const ProcessRequest&) { return exited(127, {}, "FakeProcessRunner: no rule\n"); };
    std::optional<std::string> m_detachedError;
    std::vector<ProcessRequest> m_calls;
    std::vector<std::pair<std::string, std::vector<std::string>>> m_detached;
};

} // namespace tallowmere::test
