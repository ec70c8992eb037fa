#include "platform/PropertyList.h"

#include <gtest/gtest.h>

using namespace tallowmere;

namespace {

const char* diskutilInfo = R"(<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE plist PUBLIC "-//Apple//DTD PLIST 1.0//EN" "http://www.apple.com/DTDs/PropertyList-1.0.dtd">
<plist version="1.0">
<dict>
	<key>BusProtocol</key> <string>USB</string> <key>DeviceIdentifier</key> <string>disk4s2</string>
	<key>Ejectable</key> <true/> <key>Internal</key> <false/>
	<key>MountPoint</key> <string>/Volumes/My Passport</string>
	<key>Size</key> <integer>-42</integer> <key>Ratio</key> <real>0.5</real>
	<key>ParentWholeDisk</key> <dict><key>MediaName</key><string>Apple Disk Image</string></dict>
	<key>Partitions</key> <array><string>a</string><string>b</string></array>
</dict>
</plist>)";

TEST(PropertyList, ReadsTypedValuesOfADiskutilDictionary) {
    auto info = PropertyList::parseDictionary(diskutilInfo);
    ASSERT_TRUE(info);
    EXPECT_EQ(*findAs<std::string>(*info, "DeviceIdentifier"), "disk4s2");
    EXPECT_EQ(*findAs<std::string>(*info, "MountPoint"), "/Volumes/My Passport");
    EXPECT_EQ(*findAs<bool>(*info, "Ejectable"), true);
    EXPECT_EQ(*findAs<bool>(*info, "Internal"), false);
    EXPECT_EQ(*findAs<std::int64_t>(*info, "Size"), -42);
    EXPECT_DOUBLE_EQ(*findAs<double>(*info, "Ratio"), 0.5);
    auto* parent = findAs<PropertyDictionary>(*info, "ParentWholeDisk");
    ASSERT_TRUE(parent);
    EXPECT_EQ(*findAs<std::string>(*parent, "MediaName"), "Apple Disk Image");
    EXPECT_EQ(stringArray(*find(*info, "Partitions")), (std::vector<std::string>{"a", "b"}));
    // Absent, present with another type, and present.
    EXPECT_EQ(find(*info, "RemovableMedia"), nullptr);
    ASSERT_NE(find(*info, "Ejectable"), nullptr);
    EXPECT_EQ(findAs<std::string>(*info, "Ejectable"), nullptr);
}

TEST(PropertyList, RejectsWhatIsNotAPropertyListDictionaryAndSurvivesDeepOrHugeInput) {
    EXPECT_FALSE(PropertyList::parseDictionary(""));
    EXPECT_FALSE(PropertyList::parseDictionary("Could not find disk: /Volumes/Gone\n"));
    EXPECT_FALSE(PropertyList::parseDictionary("{\"DeviceIdentifier\": \"disk4\"}"));
    EXPECT_FALSE(PropertyList::parseDictionary("<plist version=\"1.0\"><dict><key>A</key><string>x</string>"));
    EXPECT_FALSE(PropertyList::parseDictionary("<plist version=\"1.0\"><array><string>x</string></array></plist>"));
    EXPECT_FALSE(PropertyList::parseDictionary("<plist version=\"1.0\"><string>x</string></plist>"));
    EXPECT_FALSE(PropertyList::parseDictionary("bplist00\x01\x02garbage"));
    EXPECT_FALSE(PropertyList::parseDictionary(std::string("<plist>\0\0\0", 10)));
    std::string truncated = diskutilInfo;
    EXPECT_FALSE(PropertyList::parseDictionary(truncated.substr(0, truncated.size() / 2)));

    std::string deep = "<plist version=\"1.0\">";
    for (int i = 0; i < 100000; ++i)
        deep += "<array>";
    for (int i = 0; i < 100000; ++i)
        deep += "</array>";
    deep += "</plist>";
    EXPECT_FALSE(PropertyList::parseDictionary(deep));

    std::string huge = "<plist version=\"1.0\"><dict><key>VolumeName</key><string>";
    huge += std::string(32 * 1024 * 1024, 'x');
    huge += "</string></dict></plist>";
    auto parsed = PropertyList::parseDictionary(huge);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(findAs<std::string>(*parsed, "VolumeName")->size(), 32u * 1024 * 1024);

    std::string garbage(8 * 1024 * 1024, '\xff');
    EXPECT_FALSE(PropertyList::parseDictionary(garbage));
}

TEST(PropertyList, RoundTripsEveryTypeThroughXmlAndReadsBinary) {
    PropertyDictionary values{{"bool", true},
                              {"int", std::int64_t(-7)},
                              {"real", 3.25},
                              {"text", "Ünïcødé \"quoted\" <tag> & more"},
                              {"list", PropertyArray{"a", std::int64_t(1), false}},
                              {"nested", PropertyDictionary{{"k", "v"}}}};
    std::string xml = PropertyList::toXml(values);
    auto back = PropertyList::parseDictionary(xml);
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, values);

    // A minimal binary property list: { "a" => true }.
    const unsigned char binary[] = {'b',  'p',  'l',  'i',  's',  't',  '0',  '0',  0xD1, 0x01, 0x02, 0x51, 0x61,
                                    0x09, 0x08, 0x0B, 0x0D, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0x01, 0x00,
                                    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
                                    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x0E};
    auto parsed = PropertyList::parseDictionary(std::string_view(reinterpret_cast<const char*>(binary), sizeof binary));
    ASSERT_TRUE(parsed);
    EXPECT_EQ(*findAs<bool>(*parsed, "a"), true);
}

} // namespace
