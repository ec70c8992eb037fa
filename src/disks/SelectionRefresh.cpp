#include "disks/SelectionRefresh.h"

namespace tallowmere {

SelectionRefresh::SelectionRefresh(const DiskServices& services, WeakOwner owner, const VolumeDiscovery& discovery,
                                   VolumeAllowlist& allowlist, PublishedLists& lists)
    : m_services(services)
    , m_owner(std::move(owner))
    , m_discovery(discovery)
    , m_allowlist(allowlist)
    , m_lists(lists) {}

void SelectionRefresh::request(const std::vector<DiskType>& types) {
    {
        std::lock_guard lock(m_lock);
        if (m_isRefreshing || m_batchesRunning > 0) {
            m_pending = types;
            return;
        }
        m_isRefreshing = true;
    }
    start(types);
}

void SelectionRefresh::start(std::vector<DiskType> types) {
    Runtime& runtime = m_services.runtime;
    runtime.globalAsync(QoS::Utility, [this, owner = m_owner(), &runtime, types = std::move(types)] {
        const auto alive = owner.lock();
        if (!alive)
            return;
        std::vector<VolumeSelection> selections = m_discovery.volumeSelections(types);
        std::vector<std::string> ids;
        for (const VolumeSelection& selection : selections)
            ids.push_back(selection.id);
        if (m_allowlist.recordSeenVolumes(ids))
            m_lists.republishSelections();
        // Queued before the next refresh starts, so lists are published in the order they were taken.
        runtime.mainAsync([this, owner, selections = std::move(selections)]() mutable {
            if (const auto alive = owner.lock())
                m_lists.publishSelections(std::move(selections));
        });
        finished();
    });
}

void SelectionRefresh::finished() {
    std::optional<std::vector<DiskType>> next;
    {
        std::lock_guard lock(m_lock);
        if (m_batchesRunning == 0)
            next.swap(m_pending);
        m_isRefreshing = next.has_value();
    }
    if (next)
        start(std::move(*next));
}

bool SelectionRefresh::isBatchRunning() const {
    std::lock_guard lock(m_lock);
    return m_batchesRunning > 0;
}

void SelectionRefresh::batchStarted() {
    std::lock_guard lock(m_lock);
    ++m_batchesRunning;
}

void SelectionRefresh::batchFinished() {
    std::optional<std::vector<DiskType>> next;
    {
        std::lock_guard lock(m_lock);
        --m_batchesRunning;
        if (!m_isRefreshing && m_batchesRunning == 0) {
            next.swap(m_pending);
            m_isRefreshing = next.has_value();
        }
    }
    if (next)
        start(std::move(*next));
}

} // namespace tallowmere
