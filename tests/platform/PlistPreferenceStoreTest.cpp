#include "platform/PlistPreferenceStore.h"
#include "platform/FileLock.h"
#include "platform/PropertyList.h"
#include "support/LogCapture.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <fstream>
#include <future>
#include <thread>
#include <unistd.h>

using namespace tallowmere;

namespace {

std::string readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string();
}

#ifdef __linux__
pid_t currentThread() {
    return ::gettid();
}
// Whether a thread of this process sleeps in the kernel (as one waiting for a lock does).
bool isAsleep(pid_t thread) {
    std::ifstream stat("/proc/self/task/" + std::to_string(thread) + "/stat");
    std::string line;
    std::getline(stat, line);
    auto name = line.rfind(')');
    return name != std::string::npos && name + 2 < line.size() && line[name + 2] == 'S';
}
#else
pid_t currentThread() {
    return 1;
}
// Without a way to see a thread wait, it is given the time to get to the lock.
bool isAsleep(pid_t) {
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    return true;
}
#endif

class PlistPreferenceStoreTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString folder() const { return dir.filePath("Library/Preferences"); }
    std::string path() const { return (folder() + "/com.tallowmere.app.plist").toStdString(); }
};

TEST_F(PlistPreferenceStoreTest, AbsentKeysReadAsZeroValuesAndGettersConvertLikeThePlatform) {
    PlistPreferenceStore store(path());
    EXPECT_FALSE(store.hasObject("absent") || store.boolValue("absent") || store.stringValue("absent"));
    EXPECT_EQ(store.integerValue("absent"), 0);
    EXPECT_EQ(store.doubleValue("absent"), 0.0);

    store.setString("text", "YES");
    store.setInteger("one", 1);
    EXPECT_TRUE(store.boolValue("text") && store.boolValue("one"));
    EXPECT_DOUBLE_EQ(store.doubleValue("one"), 1.0);
    EXPECT_FALSE(store.arrayValue("text"));

    // Out of range a number reads as the nearest integer there is (a cast would be undefined), NaN as 0.
    constexpr auto largest = std::numeric_limits<std::int64_t>::max();
    const std::pair<PropertyValue, std::int64_t> integers[] = {{37.6, 37},
                                                               {1e19, largest},
                                                               {"-7e30", -largest - 1},
                                                               {std::nan(""), 0},
                                                               {std::numeric_limits<double>::infinity(), largest}};
    for (const auto& [stored, expected] : integers) {
        store.setObject("number", stored);
        EXPECT_EQ(store.integerValue("number"), expected) << PropertyList::toXml(PropertyDictionary{{"n", stored}});
    }
}

TEST_F(PlistPreferenceStoreTest, UnreadableOrOversizedFilesAreMovedAsideNotDestroyed) {
    const std::string valid = PropertyList::toXml(PropertyDictionary{{"startAtLogin", true}});
    const std::string oversized =
        PropertyList::toXml(PropertyDictionary{{"pad", std::string(PlistPreferenceStore::maximumFileSize, 'x')}});
    // What the parser refuses (PropertyListTest) is moved aside like a cut-off file; one too large is not parsed.
    for (const std::string& bytes : {std::string("<plist><dict><key>half</key>"), oversized}) {
        QDir(folder()).removeRecursively();
        QDir().mkpath(folder());
        QFile file(QString::fromStdString(path()));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(bytes.data(), qint64(bytes.size())) > 0);
        file.close();
        test::LogCapture log;
        PlistPreferenceStore store(path());
        EXPECT_TRUE(store.snapshot().empty());
        ASSERT_EQ(log.lines().size(), 1u);
        EXPECT_NE(log.lines()[0].find("moved it to"), std::string::npos);
        auto aside = QDir(folder()).entryList({"*.corrupt-*"}, QDir::Files);
        ASSERT_EQ(aside.size(), 1);
        EXPECT_EQ(readAll(folder() + "/" + aside[0]), bytes);

        store.setBool("startAtLogin", true);
        EXPECT_EQ(readAll(QString::fromStdString(path())), valid);
    }
}

TEST_F(PlistPreferenceStoreTest, WhatCannotBeKeptWholeIsRefusedAndReadsNeverWaitForTheFile) {
    PlistPreferenceStore store(path());
    store.setString("kept", "ü\t\x01");
    const std::string before = readAll(QString::fromStdString(path()));
    test::LogCapture log;
    // Written, these would come back cut at the NUL or as text that is not text.
    store.setString("nul", std::string("a\0b", 3));
    store.setArray("bytes", PropertyArray{"\xff\xfe"});
    store.setBool(std::string("key\0", 4), true);
    // The platform refuses domains past 4 MB.
    store.setString("large", std::string(PlistPreferenceStore::maximumFileSize, 'x'));
    EXPECT_EQ(log.lines().size(), 4u);
    EXPECT_EQ(readAll(QString::fromStdString(path())), before);
    EXPECT_EQ(store.snapshot(), (PropertyDictionary{{"kept", "ü\t\x01"}}));

    // A writer waiting for the file (another process holds its lock) does not hold up readers.
    auto holder = std::make_unique<FileLock>(path() + ".lock");
    std::atomic<pid_t> writerThread{0};
    std::thread writer([&] {
        writerThread = currentThread();
        store.setBool("written", true);
    });
    for (int tries = 0; tries < 10000 && !(writerThread && isAsleep(writerThread)); ++tries)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    auto read = std::async(std::launch::async, [&] { return store.stringValue("kept"); });
    EXPECT_EQ(read.wait_for(std::chrono::seconds(10)), std::future_status::ready);
    holder.reset();
    writer.join();
    EXPECT_EQ(read.get(), "ü\t\x01");
    EXPECT_TRUE(PlistPreferenceStore(path()).boolValue("written"));
}

TEST_F(PlistPreferenceStoreTest, WritesFromAnotherWriterAreNeitherLostNorMissedAndNotifyOnTheWritingThread) {
    PlistPreferenceStore app(path());
    PlistPreferenceStore other(path()); // stands in for another process on the same file
    int notifications = 0;
    std::thread::id notifiedOn;
    auto id = app.addObserver([&] {
        notifiedOn = std::this_thread::get_id();
        ++notifications;
    });

    other.setBool("stayAwakeEnabled", true);
    EXPECT_FALSE(app.hasObject("stayAwakeEnabled")); // not seen until the file is looked at again
    app.reloadFromDisk();
    EXPECT_TRUE(app.boolValue("stayAwakeEnabled"));
    EXPECT_EQ(notifications, 1);
    app.reloadFromDisk(); // nothing new: no notification
    EXPECT_EQ(notifications, 1);

    // A write of the app keeps what the other writer stored meanwhile, and leaves no temporary file beside it.
    other.setInteger("activationDurationIndex", 4);
    std::thread writer([&] { app.setBool("autoEjectBeforeSleep", true); });
    auto writerId = writer.get_id();
    writer.join();
    EXPECT_EQ(notifications, 2);
    EXPECT_EQ(notifiedOn, writerId);
    EXPECT_EQ(app.integerValue("activationDurationIndex"), 4);
    EXPECT_EQ(PlistPreferenceStore(path()).integerValue("activationDurationIndex"), 4);
    EXPECT_EQ(QDir(folder()).entryList(QDir::Files),
              (QStringList{"com.tallowmere.app.plist", "com.tallowmere.app.plist.lock"}));
    app.removeObserver(id);
    app.setBool("x", true);
    EXPECT_EQ(notifications, 2);
}

TEST_F(PlistPreferenceStoreTest, ConcurrentWritersLoseNoUpdate) {
    auto writeFifty = [&](std::string prefix) {
        PlistPreferenceStore store(path());
        for (int i = 0; i < 50; ++i)
            store.setInteger(prefix + std::to_string(i), i);
    };
    std::thread a(writeFifty, "a"), b(writeFifty, "b");
    a.join();
    b.join();
    EXPECT_EQ(PlistPreferenceStore(path()).snapshot().size(), 100u);
}

TEST_F(PlistPreferenceStoreTest, WatcherPostsChangesWrittenByOthers) {
    PlistPreferenceStore app(path());
    std::atomic<int> notifications{0};
    app.addObserver([&] { ++notifications; });
    app.startWatching();
    PlistPreferenceStore other(path());
    other.setBool("stayAwakeEnabled", true);
    for (int tries = 0; tries < 2000 && notifications.load() == 0; ++tries)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_TRUE(app.boolValue("stayAwakeEnabled"));
    EXPECT_GE(notifications.load(), 1);
}

} // namespace
