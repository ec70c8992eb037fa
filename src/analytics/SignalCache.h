#pragma once

#include "analytics/AnalyticsLogger.h"
#include "analytics/SignalPostBody.h"
#include "platform/FileSystem.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <list>
#include <optional>
#include <shared_mutex>
#include <string>
#include <vector>

namespace tallowmere {

// Records popped for one request; they stay owned by the cache until delivered or pushed back.
struct SignalBatch {
    std::uint64_t id = 0;
    std::vector<SignalPostBody> records;
    bool empty() const { return records.empty(); }
};

// The pending signal records, in order, persisted in one file. Reads share the lock; every mutation holds it
// exclusively, and so does every write of the file, so writes reach the file in the order they happened.
//
// Besides the save at termination, the file is rewritten quietly after each change that must survive a
// crash: a new record, and a delivered batch (so a record the service took is never sent again after a crash).
// Records of a batch in flight stay in the file until their fate is known.
class SignalCache {
public:
    static constexpr std::size_t maximumNumberOfSignalsToPopAtOnce = 100;
    static constexpr const char* fileName = "analyticssignalcache";

    // Loads `path` at once; without a path the cache lives in memory only.
    SignalCache(FileSystem& fileSystem, std::optional<std::string> path, const AnalyticsLogger& logger);
    SignalCache(const SignalCache&) = delete;
    SignalCache& operator=(const SignalCache&) = delete;

    void push(SignalPostBody signal);
    // Takes up to `maximumNumberOfSignalsToPopAtOnce` records from the front.
    SignalBatch pop();
    // A failed batch goes back to the front, in its order, ahead of anything that arrived meanwhile.
    void pushBack(const SignalBatch& batch);
    // The service took the batch: its records leave the cache for good.
    void markDelivered(const SignalBatch& batch);

    // Pending records, not counting batches in flight.
    std::size_t count() const;
    std::vector<SignalPostBody> pendingSignals() const;

    // Writes every record still owned by the cache (in flight ones included) and logs the outcome.
    bool backupCache();

    const std::optional<std::string>& path() const { return m_path; }

private:
    void loadLocked();
    // Renames the file beside itself ("….corrupt-<time>"); when that fails, the cache stops saving to it.
    std::optional<std::string> moveAsideLocked();
    bool writeLocked();
    void checkpointLocked();

    FileSystem& m_fileSystem;
    std::optional<std::string> m_path;
    const AnalyticsLogger& m_logger;

    mutable std::shared_mutex m_mutex;
    std::deque<SignalPostBody> m_signals;
    std::list<SignalBatch> m_inFlight;
    std::uint64_t m_nextBatchId = 1;
};

} // namespace tallowmere
