#include "foundation/Bundle.h"
#include "foundation/Data.h"
#include "foundation/Dictionary.h"
#include "foundation/Error.h"
#include "foundation/FileManager.h"
#include "foundation/Log.h"
#include "foundation/PropertyList.h"
#include "foundation/String.h"
#include "testing/TemporaryHome.h"

#include <gtest/gtest.h>

using namespace ns;

namespace {

const std::string fixtures = std::string(VELMO_FIXTURES) + "/foundation/";

// An application bundle in the temporary home.
std::string makeBundle(const testkit::TemporaryHome& home)
{
    std::string root = home.file("Velmo.app");
    FileManager::createDirectoryAtPath(root + "/ShareCore.bundle/en.lproj", true);
    PropertyList::writePropertyList(
        Dictionary::withStrings({{"CFBundleVersion", String::make("1.2")},
                                 {"CFBundleName", String::make("Velmo")},
                                 {"CFBundleIdentifier", String::make("com.velmo.test")}}),
        root + "/Info.plist");
    FileManager::writeAtomically(root + "/SHKSharers.plist", "<plist><dict/></plist>");
    FileManager::writeAtomically(root + "/Localizable.strings", "\"Settings\" = \"Réglages\";");
    FileManager::copyItemAtPath(fixtures + "Localizable.strings",
                                root + "/ShareCore.bundle/en.lproj/Localizable.strings");
    return root;
}

} // namespace

TEST(Bundle, AnswersInfoValuesResourcesAndLocalizedTexts)
{
    testkit::TemporaryHome home;
    std::string root = makeBundle(home);
    Bundle::setMainPath(root);
    auto main = Bundle::main();
    EXPECT_EQ(describe(main->objectForInfoDictionaryKey("CFBundleVersion")), "1.2");
    EXPECT_EQ(describe(main->objectForInfoDictionaryKey("CFBundleName")), "Velmo");
    EXPECT_EQ(main->bundleIdentifier(), "com.velmo.test");
    EXPECT_FALSE(main->objectForInfoDictionaryKey("Missing"));

    EXPECT_EQ(main->pathForResource("SHKSharers", "plist"), root + "/SHKSharers.plist");
    EXPECT_EQ(main->pathForResource("SHKSharers.plist"), root + "/SHKSharers.plist");
    EXPECT_EQ(main->pathForResource("ShareCore.bundle"), root + "/ShareCore.bundle");
    EXPECT_FALSE(main->pathForResource("missing", "png"));

    EXPECT_EQ(main->localizedString("Settings", ""), "Réglages");
    EXPECT_EQ(main->localizedString("None", ""), "None");
    EXPECT_EQ(main->localizedString("None", "Aucun"), "Aucun");

    auto share = Bundle::withPath(*main->pathForResource("ShareCore.bundle"));
    ASSERT_TRUE(share);
    EXPECT_EQ(share->localizedString("Send to %@", "Send to %@"), "Envoyer à %@");
    EXPECT_EQ(share->localizedString("Not translated", "Not translated"), "Not translated");
    EXPECT_FALSE(Bundle::withPath(root + "/Nothing.bundle"));
    Bundle::setMainPath(VELMO_RESOURCES);
}

TEST(Bundle, ReadsStringsTables)
{
    Ref<Error> error;
    auto data = FileManager::contentsAtPath(fixtures + "Localizable.strings");
    auto table = Bundle::parseStringsTable(data->view(), &error);
    ASSERT_TRUE(table) << describe(error);
    EXPECT_EQ(table->stringForKey("Send to %@"), "Envoyer à %@");
    EXPECT_EQ(table->stringForKey("Quote \"inside\""), "Back\\slash\nnew line\ttab");
    EXPECT_EQ(table->stringForKey("Escaped"), "été 😀");
    EXPECT_EQ(table->stringForKey("bare_key"), "bare.value");
    EXPECT_EQ(table->stringForKey("Only key"), "Only key");
    EXPECT_EQ(table->count(), 5u);

    auto utf16 =
        Bundle::parseStringsTable(FileManager::contentsAtPath(fixtures + "utf16.strings")->view(), &error);
    ASSERT_TRUE(utf16) << describe(error);
    EXPECT_EQ(utf16->stringForKey("Tea"), "Thé");

    auto xml =
        Bundle::parseStringsTable(PropertyList::xmlText(Dictionary::withStrings({{"a", String::make("b")}})));
    ASSERT_TRUE(xml);
    EXPECT_EQ(xml->stringForKey("a"), "b");
}

TEST(Bundle, CorruptStringsTableOrInfoPlistGivesAnErrorAndAnEmptyTable)
{
    struct Row
    {
        const char* name;
        std::string bytes;
    } rows[] = {
        {"unterminated text", "\"Broken\" = \"no end"},
        {"missing semicolon", "\"a\" = \"b\" \"c\" = \"d\";"},
        {"missing equals", "\"a\" \"b\";"},
        {"unterminated comment", "/* \"a\" = \"b\";"},
        {"invalid UTF-8", "\"a\" = \"\xff\";"},
        {"odd UTF-16", "\xff\xfe\x22"},
        {"lone surrogate in UTF-16", std::string("\xff\xfe\x00\xd8", 4)},
        {"property list of numbers", "<plist><dict><key>a</key><integer>1</integer></dict></plist>"},
        {"stray character", "= \"b\";"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Ref<Error> error;
        EXPECT_FALSE(Bundle::parseStringsTable(row.bytes, &error));
        EXPECT_TRUE(error);
    }

    testkit::TemporaryHome home;
    std::string root = home.file("Broken.app");
    FileManager::createDirectoryAtPath(root, true);
    FileManager::copyItemAtPath(fixtures + "corrupt.plist", root + "/Info.plist");
    FileManager::copyItemAtPath(fixtures + "corrupt.strings", root + "/Localizable.strings");
    auto bundle = Bundle::withPath(root);
    LogCapture capture;
    Ref<Error> error;
    EXPECT_EQ(bundle->infoDictionary(&error)->count(), 0u);
    EXPECT_TRUE(error);
    EXPECT_FALSE(bundle->objectForInfoDictionaryKey("CFBundleVersion"));
    error = nullptr;
    EXPECT_EQ(bundle->stringsTable("Localizable", &error)->count(), 0u);
    EXPECT_TRUE(error);
    EXPECT_EQ(bundle->localizedString("Broken", ""), "Broken");
    EXPECT_EQ(capture.lines().size(), 2u);
    // Nothing on disk was touched.
    EXPECT_EQ(FileManager::contentsAtPath(root + "/Info.plist")->length(),
              FileManager::contentsAtPath(fixtures + "corrupt.plist")->length());
}
