#include "platform/PropertyList.h"

#include <QByteArray>

#include <gtest/gtest.h>

using namespace tallowmere;

namespace {

// What the disk manager reads from diskutil's property lists is covered end to end (tests/e2e/SimulatedDisksTest.cpp).
TEST(PropertyList, RejectsWhatIsNotAPropertyListDictionaryAndSurvivesDeepOrHugeInput) {
    EXPECT_FALSE(PropertyList::parseDictionary(""));
    EXPECT_FALSE(PropertyList::parseDictionary("Could not find disk: /Volumes/Gone\n"));
    EXPECT_FALSE(PropertyList::parseDictionary("{\"DeviceIdentifier\": \"disk4\"}"));
    EXPECT_FALSE(PropertyList::parseDictionary("<plist version=\"1.0\"><dict><key>A</key><string>x</string>"));
    EXPECT_FALSE(PropertyList::parseDictionary("<plist version=\"1.0\"><array><string>x</string></array></plist>"));
    EXPECT_FALSE(PropertyList::parseDictionary("<plist version=\"1.0\"><string>x</string></plist>"));
    EXPECT_FALSE(PropertyList::parseDictionary("bplist00\x01\x02garbage"));
    EXPECT_FALSE(PropertyList::parseDictionary(std::string("<plist>\0\0\0", 10)));
    const std::string whole = PropertyList::toXml(PropertyDictionary{{"MountPoint", "/Volumes/My Passport"}});
    EXPECT_FALSE(PropertyList::parseDictionary(whole.substr(0, whole.size() / 2)));

    auto repeat = [](const char* text, int times) { return QByteArray(text).repeated(times).toStdString(); };
    const std::string list = "<plist version=\"1.0\">";
    EXPECT_FALSE(PropertyList::parse(list + repeat("<array>", 100000) + repeat("</array>", 100000) + "</plist>"));
    // Refused before libplist builds a tree it would free recursively (200,000 levels crashed it), also when
    // closing tags hide where its reader sees none.
    EXPECT_FALSE(PropertyList::parse(list + repeat("<array>", 200000)));
    EXPECT_FALSE(PropertyList::parse(list + repeat("<array><? \"?></array>\" ?>", 200000)));
    EXPECT_FALSE(PropertyList::parse(list + repeat("<array><!-- </array> -->", 200000)));
    EXPECT_TRUE(PropertyList::parse(list + repeat("<array>", 200) + repeat("</array>", 200) + "</plist>"));

    std::string huge = "<plist version=\"1.0\"><dict><key>VolumeName</key><string>";
    huge += std::string(32 * 1024 * 1024, 'x');
    huge += "</string></dict></plist>";
    auto parsed = PropertyList::parseDictionary(huge);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(findAs<std::string>(*parsed, "VolumeName")->size(), 32u * 1024 * 1024);

    std::string garbage(8 * 1024 * 1024, '\xff');
    EXPECT_FALSE(PropertyList::parseDictionary(garbage));
}

TEST(PropertyList, ReadsTextsWholeOrNotAtAll) {
    auto text = [](const std::string& body) {
        return PropertyList::parseDictionary("<plist version=\"1.0\"><dict><key>k</key><string>" + body +
                                             "</string></dict></plist>");
    };
    // libplist asserted on a NUL inside a text (and cut it short); XML cannot hold one, nor text that is not UTF-8.
    EXPECT_FALSE(text(std::string("a\0b", 3)));
    EXPECT_FALSE(text("&#0;"));
    EXPECT_FALSE(text("\xff\xfe"));
    EXPECT_FALSE(text("&#xD800;"));
    const char nulInKey[] = "<plist><dict><key>a\0b</key><true/></dict></plist>";
    EXPECT_FALSE(PropertyList::parseDictionary(std::string(nulInKey, sizeof nulInKey - 1)));
    EXPECT_EQ(*findAs<std::string>(*text("\x01 &lt;ü&#x1F600;"), "k"), "\x01 <ü\U0001F600");

    EXPECT_TRUE(PropertyList::isWritable(PropertyDictionary{{"k", PropertyArray{"ü", "\t"}}}));
    EXPECT_FALSE(PropertyList::isWritable(PropertyDictionary{{"k", PropertyArray{std::string("a\0b", 3)}}}));
    EXPECT_FALSE(PropertyList::isWritable(PropertyDictionary{{"\xc3(", true}}));
}

TEST(PropertyList, RoundTripsEveryTypeThroughXmlAndRefusesBinary) {
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

    // A valid binary property list: { "a" => true }.
    const unsigned char binary[] = {'b',  'p',  'l',  'i',  's',  't',  '0',  '0',  0xD1, 0x01, 0x02, 0x51, 0x61,
                                    0x09, 0x08, 0x0B, 0x0D, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0x01, 0x00,
                                    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
                                    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x0E};
    // libplist follows a binary list's references recursively: deep or self-multiplying graphs exhaust it.
    EXPECT_FALSE(PropertyList::parse(std::string_view(reinterpret_cast<const char*>(binary), sizeof binary)));
}

} // namespace
