#include "platform/PlistPreferenceStore.h"

#include "platform/FileLock.h"
#include "platform/ListingText.h"
#include "platform/Log.h"
#include "platform/PropertyList.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QSaveFile>
#include <QThread>

#include <algorithm>
#include <vector>

namespace tallowmere {
namespace {

QString qPath(const std::string& path) {
    return QString::fromStdString(path);
}

// Keeps a file that could not be read beside the domain instead of overwriting it later.
void moveAside(const std::string& path, const std::string& reason) {
    QString stamp = QDateTime::currentDateTimeUtc().toString("yyyyMMdd-HHmmss");
    QString aside = qPath(path) + ".corrupt-" + stamp;
    for (int n = 2; QFile::exists(aside); ++n)
        aside = qPath(path) + ".corrupt-" + stamp + "-" + QString::number(n);
    bool moved = QFile::rename(qPath(path), aside);
    logError(LogCategory::platform(),
             "Preferences: " + path + " " + reason +
                 (moved ? "; moved it to " + aside.toStdString() : "; could not move it aside") +
                 " and started from empty preferences");
}

// A key as a log line can show it, whatever bytes it holds.
std::string printable(std::string_view key) {
    return escapeListingField(QString::fromUtf8(key.data(), static_cast<qsizetype>(key.size())).toStdString());
}

} // namespace

PlistPreferenceStore::PlistPreferenceStore(std::string path)
    : m_path(std::move(path))
    , m_lockPath(m_path + ".lock") {
    QDir().mkpath(QFileInfo(qPath(m_path)).absolutePath());
    FileLock lock(m_lockPath);
    m_values = readFileLocked();
}

PlistPreferenceStore::~PlistPreferenceStore() {
    if (m_watcherThread) {
        m_watcherThread->quit();
        m_watcherThread->wait();
    }
}

std::optional<PropertyValue> PlistPreferenceStore::object(std::string_view key) const {
    std::lock_guard lock(m_mutex);
    if (const PropertyValue* value = find(m_values, key))
        return *value;
    return std::nullopt;
}

void PlistPreferenceStore::setObject(std::string_view key, PropertyValue value) {
    if (!PropertyList::isWritableText(key) || !PropertyList::isWritable(value)) {
        logError(LogCategory::platform(), "Preferences: refused to store " + printable(key) +
                                              ": a text in it is not UTF-8 or holds a NUL character");
        return;
    }
    modify(key, [&](PropertyDictionary& values) { values.insert_or_assign(std::string(key), std::move(value)); });
}

void PlistPreferenceStore::removeObject(std::string_view key) {
    modify(key, [&](PropertyDictionary& values) {
        if (auto it = values.find(key); it != values.end())
            values.erase(it);
    });
}

PropertyDictionary PlistPreferenceStore::snapshot() const {
    std::lock_guard lock(m_mutex);
    return m_values;
}

bool PlistPreferenceStore::adopt(PropertyDictionary values) {
    std::lock_guard lock(m_mutex);
    if (values == m_values)
        return false;
    m_values = std::move(values);
    return true;
}

void PlistPreferenceStore::modify(std::string_view key, const std::function<void(PropertyDictionary&)>& change) {
    {
        std::lock_guard fileLock(m_fileMutex);
        FileLock lock(m_lockPath);
        PropertyDictionary values = readFileLocked();
        PropertyDictionary changed = values;
        change(changed);
        std::string xml = PropertyList::toXml(PropertyValue(changed));
        if (static_cast<std::int64_t>(xml.size()) > maximumFileSize) {
            logError(LogCategory::platform(), "Preferences: refused to store " + printable(key) + ": " + m_path +
                                                  " would grow to " + std::to_string(xml.size()) +
                                                  " bytes, past the limit of " + std::to_string(maximumFileSize));
            // What other writers stored meanwhile is still taken in.
            if (!adopt(std::move(values)))
                return;
        } else {
            QSaveFile file(qPath(m_path));
            bool written = file.open(QIODevice::WriteOnly) &&
                           file.write(xml.data(), static_cast<qint64>(xml.size())) == static_cast<qint64>(xml.size()) &&
                           file.commit();
            if (!written)
                logError(LogCategory::platform(),
                         "Preferences: could not write " + m_path + ": " + file.errorString().toStdString());
            adopt(std::move(changed));
        }
    }
    postChange();
}

void PlistPreferenceStore::reloadFromDisk() {
    {
        std::lock_guard fileLock(m_fileMutex);
        PropertyDictionary values;
        {
            FileLock lock(m_lockPath);
            values = readFileLocked();
        }
        if (!adopt(std::move(values)))
            return;
    }
    postChange();
}

PropertyDictionary PlistPreferenceStore::readFileLocked() {
    QFile file(qPath(m_path));
    if (!file.exists())
        return {};
    if (file.size() > maximumFileSize) {
        moveAside(m_path, "is larger than the limit of " + std::to_string(maximumFileSize) + " bytes");
        return {};
    }
    if (!file.open(QIODevice::ReadOnly)) {
        moveAside(m_path, "could not be opened (" + file.errorString().toStdString() + ")");
        return {};
    }
    // Bounded even if the file grew since its size was looked at.
    QByteArray bytes = file.read(std::min<qint64>(file.size(), maximumFileSize) + 1);
    file.close();
    if (bytes.isEmpty())
        return {};
    auto values =
        bytes.size() > maximumFileSize
            ? std::nullopt
            : PropertyList::parseDictionary(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
    if (!values) {
        moveAside(m_path, "is not a property list of preferences");
        return {};
    }
    return std::move(*values);
}

PreferenceStore::ObserverId PlistPreferenceStore::addObserver(Observer observer) {
    std::lock_guard lock(m_observersMutex);
    ObserverId id = m_nextObserver++;
    m_observers.emplace(id, std::make_shared<Observer>(std::move(observer)));
    return id;
}

void PlistPreferenceStore::removeObserver(ObserverId id) {
    std::lock_guard lock(m_observersMutex);
    m_observers.erase(id);
}

void PlistPreferenceStore::postChange() {
    std::vector<std::shared_ptr<Observer>> observers;
    {
        std::lock_guard lock(m_observersMutex);
        for (auto& [id, observer] : m_observers)
            observers.push_back(observer);
    }
    for (auto& observer : observers)
        (*observer)();
}

void PlistPreferenceStore::startWatching() {
    if (m_watcherThread)
        return;
    m_watcherThread = std::make_unique<QThread>();
    m_watcherThread->setObjectName("PreferenceWatcher");
    auto* context = new QObject;
    m_watcherContext = context;
    context->moveToThread(m_watcherThread.get());
    QObject::connect(m_watcherThread.get(), &QThread::finished, context, &QObject::deleteLater);
    m_watcherThread->start();
    QMetaObject::invokeMethod(
        context,
        [this, context] {
            auto* watcher = new QFileSystemWatcher(context);
            QString file = qPath(m_path);
            QString folder = QFileInfo(file).absolutePath();
            auto rewatch = [watcher, file, folder] {
                if (!watcher->directories().contains(folder))
                    watcher->addPath(folder);
                if (QFile::exists(file) && !watcher->files().contains(file))
                    watcher->addPath(file);
            };
            auto changed = [this, rewatch] {
                rewatch();
                reloadFromDisk();
            };
            QObject::connect(watcher, &QFileSystemWatcher::directoryChanged, watcher, changed);
            QObject::connect(watcher, &QFileSystemWatcher::fileChanged, watcher, changed);
            rewatch();
            // A write that landed before the watch was in place is not missed.
            reloadFromDisk();
        },
        Qt::QueuedConnection);
}

void PlistPreferenceStore::reloadLater() {
    if (!m_watcherThread) {
        reloadFromDisk();
        return;
    }
    if (m_isReloadQueued.exchange(true))
        return;
    QMetaObject::invokeMethod(
        m_watcherContext,
        [this] {
            m_isReloadQueued = false;
            reloadFromDisk();
        },
        Qt::QueuedConnection);
}

} // namespace tallowmere
