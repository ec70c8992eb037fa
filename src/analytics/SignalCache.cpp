#include "analytics/SignalCache.h"

#include <QDateTime>

#include <algorithm>
#include <mutex>

namespace tallowmere {

SignalCache::SignalCache(FileSystem& fileSystem, std::optional<std::string> path, const AnalyticsLogger& logger)
    : m_fileSystem(fileSystem)
    , m_path(std::move(path))
    , m_logger(logger) {
    std::unique_lock lock(m_mutex);
    loadLocked();
}

void SignalCache::push(SignalPostBody signal) {
    std::unique_lock lock(m_mutex);
    m_signals.push_back(std::move(signal));
    checkpointLocked();
}

SignalBatch SignalCache::pop() {
    std::unique_lock lock(m_mutex);
    SignalBatch batch;
    std::size_t count = std::min(m_signals.size(), maximumNumberOfSignalsToPopAtOnce);
    if (count == 0)
        return batch;
    batch.id = m_nextBatchId++;
    batch.records.assign(std::make_move_iterator(m_signals.begin()),
                         std::make_move_iterator(m_signals.begin() + static_cast<std::ptrdiff_t>(count)));
    m_signals.erase(m_signals.begin(), m_signals.begin() + static_cast<std::ptrdiff_t>(count));
    m_inFlight.push_back(batch);
    return batch;
}

void SignalCache::pushBack(const SignalBatch& batch) {
    std::unique_lock lock(m_mutex);
    auto it = std::find_if(m_inFlight.begin(), m_inFlight.end(), [&](const auto& b) { return b.id == batch.id; });
    // Only a batch this cache handed out and still holds can come back; anything else would duplicate records.
    if (it == m_inFlight.end())
        return;
    m_signals.insert(m_signals.begin(), it->records.begin(), it->records.end());
    m_inFlight.erase(it);
}

void SignalCache::markDelivered(const SignalBatch& batch) {
    std::unique_lock lock(m_mutex);
    auto it = std::find_if(m_inFlight.begin(), m_inFlight.end(), [&](const auto& b) { return b.id == batch.id; });
    if (it == m_inFlight.end())
        return;
    m_inFlight.erase(it);
    checkpointLocked();
}

std::size_t SignalCache::count() const {
    std::shared_lock lock(m_mutex);
    return m_signals.size();
}

std::vector<SignalPostBody> SignalCache::pendingSignals() const {
    std::shared_lock lock(m_mutex);
    return {m_signals.begin(), m_signals.end()};
}

bool SignalCache::backupCache() {
    std::unique_lock lock(m_mutex);
    if (!writeLocked()) {
        m_logger.error("Error saving Analytics cache");
        return false;
    }
    m_logger.info("Saved Analytics cache");
    return true;
}

void SignalCache::loadLocked() {
    if (!m_path) {
        m_logger.info("No caches directory: pending signals are kept in memory only");
        return;
    }
    m_logger.info("Loading Analytics cache from: " + *m_path);
    FileReadResult file = m_fileSystem.readFile(*m_path);
    if (!file.ok)
        return; // absent or unreadable: start empty
    int skipped = 0;
    auto records = decodeSignals(QByteArray::fromStdString(file.contents), &skipped);
    if (!records || skipped > 0) {
        // The next save would overwrite what could not be read: it is kept beside the cache instead.
        std::string what = records
                               ? "Left out " + std::to_string(skipped) + " unreadable signals of the Analytics cache"
                               : "Could not decode Analytics cache";
        std::optional<std::string> aside = moveAsideLocked();
        m_logger.error(what +
                       (aside ? "; moved the file to " + *aside
                              : " and could not move it aside; pending signals are kept in memory only") +
                       (records ? "" : "; starting with an empty cache"));
        if (!records)
            return;
    }
    m_signals.assign(std::make_move_iterator(records->begin()), std::make_move_iterator(records->end()));
    m_logger.info("Loaded " + std::to_string(m_signals.size()) + " signals");
}

std::optional<std::string> SignalCache::moveAsideLocked() {
    const std::string stamp = QDateTime::currentDateTimeUtc().toString("yyyyMMdd-HHmmss").toStdString();
    std::string aside = *m_path + ".corrupt-" + stamp;
    for (int n = 2; n <= 100; ++n) {
        if (m_fileSystem.moveItem(*m_path, aside))
            return aside;
        if (!m_fileSystem.exists(aside))
            break;
        aside = *m_path + ".corrupt-" + stamp + "-" + std::to_string(n);
    }
    m_path.reset();
    return std::nullopt;
}

bool SignalCache::writeLocked() {
    if (!m_path)
        return false;
    // Batches in flight were taken from the front, oldest first.
    std::vector<SignalPostBody> all;
    for (const SignalBatch& batch : m_inFlight)
        all.insert(all.end(), batch.records.begin(), batch.records.end());
    all.insert(all.end(), m_signals.begin(), m_signals.end());
    return m_fileSystem.writeFileAtomically(*m_path, encodeSignals(all).toStdString());
}

void SignalCache::checkpointLocked() {
    if (m_path && !writeLocked())
        m_logger.error("Error saving Analytics cache");
}

} // namespace tallowmere
