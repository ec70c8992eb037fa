#include "platform/PlistPreferenceStore.h"
#include "platform/PropertyList.h"
#include "support/LogCapture.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

using namespace tallowmere;

namespace {

std::string readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string();
}

class PlistPreferenceStoreTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString folder() const { return dir.filePath("Library/Preferences"); }
    std::string path() const { return (folder() + "/com.tallowmere.app.plist").toStdString(); }
};

TEST_F(PlistPreferenceStoreTest, AbsentKeysReadAsZeroValuesAndGettersConvertLikeThePlatform) {
    PlistPreferenceStore store(path());
    EXPECT_FALSE(store.hasObject("autoEjectBeforeSleep"));
    EXPECT_FALSE(store.boolValue("autoEjectBeforeSleep"));
    EXPECT_EQ(store.integerValue("activationDurationIndex"), 0);
    EXPECT_EQ(store.doubleValue("batteryCap"), 0.0);
    EXPECT_FALSE(store.stringValue("autoEjectTrigger"));
    EXPECT_FALSE(store.arrayValue("autoEjectTriggers"));

    store.setString("text", "YES");
    store.setDouble("real", 37.6);
    store.setInteger("one", 1);
    EXPECT_TRUE(store.boolValue("text"));
    EXPECT_EQ(store.integerValue("real"), 37);
    EXPECT_TRUE(store.boolValue("one"));
    EXPECT_DOUBLE_EQ(store.doubleValue("one"), 1.0);
    EXPECT_FALSE(store.arrayValue("text"));
}

TEST_F(PlistPreferenceStoreTest, WritesRealTypesToDiskBeforeTheSetterReturns) {
    PlistPreferenceStore store(path());
    store.setBool("autoEjectBeforeSleep", true);
    store.setInteger("activationDurationIndex", 6);
    store.setDouble("autoEjectRemountDelaySeconds", 3.0);
    store.setString("autoEjectTrigger", "screenLocked");
    store.setArray("autoEjectTriggers", PropertyArray{"systemSleep", "screensaver"});

    auto onDisk = PropertyList::parseDictionary(readAll(QString::fromStdString(path())));
    ASSERT_TRUE(onDisk);
    EXPECT_EQ(*find(*onDisk, "autoEjectBeforeSleep"), PropertyValue(true));
    EXPECT_EQ(*find(*onDisk, "activationDurationIndex"), PropertyValue(std::int64_t(6)));
    EXPECT_EQ(*find(*onDisk, "autoEjectRemountDelaySeconds"), PropertyValue(3.0));
    EXPECT_EQ(*find(*onDisk, "autoEjectTrigger"), PropertyValue("screenLocked"));
    EXPECT_EQ(*find(*onDisk, "autoEjectTriggers"), PropertyValue(PropertyArray{"systemSleep", "screensaver"}));
    // No temporary files are left beside the domain.
    EXPECT_EQ(QDir(folder()).entryList(QDir::Files),
              (QStringList{"com.tallowmere.app.plist", "com.tallowmere.app.plist.lock"}));
}

TEST_F(PlistPreferenceStoreTest, CorruptFileIsMovedAsideNotDestroyed) {
    QDir().mkpath(folder());
    QFile corrupt(QString::fromStdString(path()));
    ASSERT_TRUE(corrupt.open(QIODevice::WriteOnly) && corrupt.write("<plist><dict><key>half</key>") > 0);
    corrupt.close();
    test::LogCapture log;
    PlistPreferenceStore store(path());
    EXPECT_FALSE(store.hasObject("half"));
    ASSERT_EQ(log.lines().size(), 1u);
    EXPECT_NE(log.lines()[0].find("moved it to"), std::string::npos);

    auto aside = QDir(folder()).entryList({"*.corrupt-*"}, QDir::Files);
    ASSERT_EQ(aside.size(), 1);
    EXPECT_EQ(readAll(folder() + "/" + aside[0]), "<plist><dict><key>half</key>");

    store.setBool("startAtLogin", true);
    EXPECT_TRUE(PlistPreferenceStore(path()).boolValue("startAtLogin"));
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

    // A write of the app keeps what the other writer stored meanwhile.
    other.setInteger("activationDurationIndex", 4);
    std::thread writer([&] { app.setBool("autoEjectBeforeSleep", true); });
    auto writerId = writer.get_id();
    writer.join();
    EXPECT_EQ(notifications, 2);
    EXPECT_EQ(notifiedOn, writerId);
    EXPECT_EQ(app.integerValue("activationDurationIndex"), 4);
    EXPECT_EQ(PlistPreferenceStore(path()).integerValue("activationDurationIndex"), 4);
    app.removeObserver(id);
    app.setBool("x", true);
    EXPECT_EQ(notifications, 2);
}

TEST_F(PlistPreferenceStoreTest, ConcurrentWritersLoseNoUpdate) {
    PlistPreferenceStore first(path());
    PlistPreferenceStore second(path());
    std::thread a([&] {
        for (int i = 0; i < 50; ++i)
            first.setInteger("a" + std::to_string(i), i);
    });
    std::thread b([&] {
        for (int i = 0; i < 50; ++i)
            second.setInteger("b" + std::to_string(i), i);
    });
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
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (notifications.load() == 0 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_TRUE(app.boolValue("stayAwakeEnabled"));
    EXPECT_GE(notifications.load(), 1);
}

} // namespace
