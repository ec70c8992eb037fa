#include "SimulatedDisks.h"

#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>

using namespace tallowmere;
using namespace tallowmere::test;

namespace {

// Runs the test in an empty working folder, so anything a shell would make of a volume name shows up there.
class EmptyWorkingFolder {
public:
    EmptyWorkingFolder()
        : m_previous(QDir::currentPath()) {
        QDir::setCurrent(m_folder.path());
    }
    ~EmptyWorkingFolder() { QDir::setCurrent(m_previous); }
    QStringList entries() const { return QDir(m_folder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot); }

private:
    QTemporaryDir m_folder;
    QString m_previous;
};

TEST_F(SimulatedDisksTest, MistypedOrMissingInfoKeysExcludeTheVolumeOrFallBackToItsName) {
    setUnmountInsteadOfEject(true);
    // Without "Internal" and without a usable "Ejectable" or "MountPoint" nothing makes these eligible.
    const std::vector<std::pair<std::string, std::vector<std::string>>> excluded = {
        {"No Flags", {"--info", "Internal=", "--info", "Ejectable="}},
        {"Text Flag", {"--info", "Internal=", "--info", "Ejectable=yes"}},
        {"Number Mount Point", {"--info", "Internal=", "--info", "MountPoint=7"}},
        {"Root Mount Point", {"--info", "Internal=", "--info", "MountPoint=/"}},
        {"Everything Missing",
         {"--info", "Internal=", "--info", "Ejectable=", "--info", "MountPoint=", "--info", "MediaName=", "--info",
          "BusProtocol=", "--info", "RemovableMedia=", "--info", "FileSystemName=", "--info", "DeviceIdentifier="}},
    };
    std::map<std::string, std::string> devices;
    for (const auto& [name, options] : excluded)
        devices[name] = plug(name, options);
    // Still eligible: a mistyped "Internal" counts as absent, a disk image hint that is no text is no hint.
    devices["Text Internal"] = plug("Text Internal", {"--info", "Internal=yes"});
    devices["Unhinted Image"] =
        plug("Unhinted Image", {"--kind", "dmg", "--info", "MediaName=42", "--info", "ParentWholeDisk=disk9"});
    // No usable device identifier: the name stands in for it.
    devices["No Identifier"] = plug("No Identifier", {"--info", "DeviceIdentifier="});
    devices["Number Identifier"] = plug("Number Identifier", {"--info", "DeviceIdentifier=12"});

    for (const auto& [name, options] : excluded)
        EXPECT_EQ(manager->classifyVolume(pathOf(name)), VolumeClassification{}) << name;
    for (const char* name : {"Text Internal", "Unhinted Image", "No Identifier", "Number Identifier"})
        EXPECT_EQ(manager->classifyVolume(pathOf(name)), (VolumeClassification{true, DiskType::hardDisksAndSSDs}))
            << name;
    std::vector<VolumeSelection> selections = manager->volumeSelections(everyKind);
    std::sort(selections.begin(), selections.end(), [](auto& a, auto& b) { return a.name < b.name; });
    EXPECT_EQ(selections, (std::vector<VolumeSelection>{
                              {"No Identifier", "No Identifier", pathOf("No Identifier")},
                              {"Number Identifier", "Number Identifier", pathOf("Number Identifier")},
                              {devices["Text Internal"], "Text Internal", pathOf("Text Internal")},
                              {devices["Unhinted Image"], "Unhinted Image", pathOf("Unhinted Image")},
                          }));

    // The unmount path records an empty identifier; the excluded volumes are never touched.
    auto unmounted = ejectBatch(everyKind, false);
    ASSERT_TRUE(unmounted);
    EXPECT_EQ(asSet(*unmounted), pathsOf({"Text Internal", "Unhinted Image", "No Identifier", "Number Identifier"}));
    EXPECT_EQ(sortedByName(manager->lastEjectedDisks()),
              (std::vector<EjectedDiskInfo>{
                  {pathOf("No Identifier"), "", "No Identifier"},
                  {pathOf("Number Identifier"), "", "Number Identifier"},
                  {pathOf("Text Internal"), devices["Text Internal"], "Text Internal"},
                  {pathOf("Unhinted Image"), devices["Unhinted Image"], "Unhinted Image"},
              }));
    for (const auto& [name, options] : excluded)
        EXPECT_EQ(stateOf(devices[name]), "mounted") << name;
    for (const std::vector<std::string>& arguments : processes.argumentsOf("unmount"))
        EXPECT_TRUE(asSet(*unmounted).contains(arguments.back())) << arguments.back();

    // The volume found again by name comes back without an identifier of its own.
    auto remounted = remount();
    ASSERT_TRUE(remounted);
    EXPECT_EQ(asSet(*remounted), asSet(*unmounted));
    for (const char* name : {"Text Internal", "Unhinted Image", "No Identifier", "Number Identifier"})
        EXPECT_EQ(stateOf(devices[name]), "mounted") << name;

    // The eject path records "unknown" instead.
    setUnmountInsteadOfEject(false);
    auto ejected = ejectBatch({DiskType::hardDisksAndSSDs}, false);
    ASSERT_TRUE(ejected);
    EXPECT_EQ(asSet(*ejected), asSet(*unmounted));
    std::vector<EjectedDiskInfo> records = sortedByName(manager->lastEjectedDisks());
    ASSERT_EQ(records.size(), 4u);
    EXPECT_EQ(records[0].diskIdentifier, "unknown");
    EXPECT_EQ(records[1].diskIdentifier, "unknown");
    EXPECT_EQ(records[2].diskIdentifier, devices["Text Internal"]);
}

TEST_F(SimulatedDisksTest, OddVolumeNamesAreSingleArgumentsThroughEjectRemountAndIdentifiers) {
    EmptyWorkingFolder workingFolder;
    const std::vector<std::string> names = {"My Passport",
                                            "it's \"quoted\"",
                                            "-leading-dash",
                                            "--double dash",
                                            "force",
                                            "new\nline",
                                            "tab\there",
                                            " padded ",
                                            "Ünïcødé 写真 📷",
                                            "back\\slash",
                                            "$(touch made-by-a-shell)",
                                            "`touch ticks`; a|b & c > redirected"};
    std::vector<std::string> devices;
    for (const std::string& name : names)
        devices.push_back(plug(name));
    std::vector<ListedVolume> before = listed();
    ASSERT_EQ(before.size(), names.size());
    for (size_t i = 0; i < names.size(); ++i)
        EXPECT_EQ(before[i].name, macsim::escapeListingField(names[i]));

    std::vector<VolumeSelection> expectedSelections;
    for (size_t i = 0; i < names.size(); ++i)
        expectedSelections.push_back({devices[i], names[i], pathOf(names[i])});
    std::vector<VolumeSelection> selections = manager->volumeSelections(everyKind);
    auto byId = [](auto& a, auto& b) { return a.id < b.id; };
    std::sort(selections.begin(), selections.end(), byId);
    std::sort(expectedSelections.begin(), expectedSelections.end(), byId);
    EXPECT_EQ(selections, expectedSelections);

    std::set<std::string> paths;
    for (const std::string& name : names)
        paths.insert(pathOf(name));
    setUnmountInsteadOfEject(true);
    auto unmounted = ejectBatch(everyKind, false);
    ASSERT_TRUE(unmounted);
    EXPECT_EQ(asSet(*unmounted), paths);
    for (const std::string& device : devices)
        EXPECT_EQ(stateOf(device), "unmounted") << device;
    for (const EjectedDiskInfo& record : manager->lastEjectedDisks()) {
        size_t index = std::find(names.begin(), names.end(), record.volumeName) - names.begin();
        ASSERT_LT(index, names.size()) << record.volumeName;
        EXPECT_EQ(record, (EjectedDiskInfo{pathOf(names[index]), devices[index], names[index]}));
    }

    auto remounted = remount();
    ASSERT_TRUE(remounted);
    EXPECT_EQ(asSet(*remounted), paths);
    for (const std::string& device : devices)
        EXPECT_EQ(stateOf(device), "mounted") << device;

    setUnmountInsteadOfEject(false);
    auto ejected = ejectBatch(everyKind, false);
    ASSERT_TRUE(ejected);
    EXPECT_EQ(asSet(*ejected), paths);
    for (const std::string& device : devices)
        EXPECT_EQ(stateOf(device), "ejected") << device;

    // Every child was a stand-in tool started directly with an argument vector: each name or mount path is
    // one whole argument, and nothing a shell would have done to the names happened.
    std::set<std::string> allowed = {"info", "-plist", "list", "unmount", "force", "mount", "mountDisk", "status"};
    allowed.insert(names.begin(), names.end());
    allowed.insert(paths.begin(), paths.end());
    static const QRegularExpression device("^disk[0-9]+(s[0-9]+)?$");
    const std::set<std::string> tools = {platform.tools.diskutil(), platform.tools.tmutil()};
    for (const ProcessRequest& request : processes.requests()) {
        EXPECT_TRUE(tools.contains(request.executable)) << request.executable;
        for (const std::string& argument : request.arguments)
            EXPECT_TRUE(allowed.contains(argument) || device.match(QString::fromStdString(argument)).hasMatch())
                << argument;
    }
    EXPECT_TRUE(workingFolder.entries().isEmpty()) << workingFolder.entries().join(", ").toStdString();
}

} // namespace
