#include "disks/EjectedDisksFile.h"

#include "platform/Log.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>

namespace tallowmere {
namespace {

QString text(const std::string& value) {
    return QString::fromStdString(value);
}

void appendUnique(std::vector<EjectedDiskInfo>& list, const EjectedDiskInfo& disk) {
    if (std::none_of(list.begin(), list.end(), [&](const EjectedDiskInfo& known) { return known.url == disk.url; }))
        list.push_back(disk);
}

} // namespace

EjectedDisksFile::EjectedDisksFile(FileSystem& fileSystem, Runtime& runtime)
    : m_fileSystem(fileSystem)
    , m_runtime(runtime) {}

std::string EjectedDisksFile::path() const {
    return m_fileSystem.homeDirectory() + "/Library/Application Support/Tallowmere/EjectedDisks.json";
}

std::vector<EjectedDiskInfo> EjectedDisksFile::load() const {
    const FileReadResult read = m_fileSystem.readFile(path());
    if (!read.ok)
        return {};
    const QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString(read.contents));
    if (!document.isArray()) {
        logError(LogCategory::disks(), "ERROR: The remount list " + path() + " is not readable; it is replaced");
        return {};
    }
    std::vector<EjectedDiskInfo> disks;
    for (const auto& entry : document.array()) {
        const QJsonObject record = entry.toObject();
        EjectedDiskInfo disk{record.value("url").toString().toStdString(),
                             record.value("diskIdentifier").toString().toStdString(),
                             record.value("volumeName").toString().toStdString()};
        if (!disk.url.empty() && !disk.volumeName.empty())
            appendUnique(disks, disk);
    }
    return disks;
}

void EjectedDisksFile::setRecords(std::vector<EjectedDiskInfo> records, const std::vector<EjectedDiskInfo>& settled) {
    {
        std::lock_guard lock(m_state->mutex);
        m_state->records = std::move(records);
        for (const EjectedDiskInfo& disk : settled) {
            auto entry = std::find(m_state->inFlight.begin(), m_state->inFlight.end(), disk);
            if (entry != m_state->inFlight.end())
                m_state->inFlight.erase(entry);
        }
        ++m_state->changes;
    }
    scheduleWrite();
}

std::shared_ptr<Group> EjectedDisksFile::addInFlight(const std::vector<EjectedDiskInfo>& volumes) {
    {
        std::lock_guard lock(m_state->mutex);
        m_state->inFlight.insert(m_state->inFlight.end(), volumes.begin(), volumes.end());
        ++m_state->changes;
    }
    return scheduleWrite();
}

std::shared_ptr<Group> EjectedDisksFile::scheduleWrite() {
    auto written = m_runtime.makeGroup();
    written->enter();
    m_runtime.globalAsync(QoS::Utility, [state = m_state, &fileSystem = m_fileSystem, file = path(), written] {
        std::lock_guard lock(state->mutex);
        if (state->written < state->changes) {
            std::vector<EjectedDiskInfo> all;
            for (const auto* list : {&state->records, &state->inFlight})
                for (const EjectedDiskInfo& disk : *list)
                    appendUnique(all, disk);
            QJsonArray array;
            for (const EjectedDiskInfo& disk : all)
                array.append(QJsonObject{{"url", text(disk.url)},
                                         {"diskIdentifier", text(disk.diskIdentifier)},
                                         {"volumeName", text(disk.volumeName)}});
            const QByteArray bytes = QJsonDocument(array).toJson(QJsonDocument::Compact);
            if (!fileSystem.writeFileAtomically(file, bytes.toStdString()))
                logError(LogCategory::disks(), "ERROR: Could not write the remount list " + file);
            state->written = state->changes;
        }
        written->leave();
    });
    return written;
}

} // namespace tallowmere
