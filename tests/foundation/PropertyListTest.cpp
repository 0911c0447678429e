#include "foundation/PropertyList.h"
#include "foundation/Array.h"
#include "foundation/Data.h"
#include "foundation/Date.h"
#include "foundation/Dictionary.h"
#include "foundation/Error.h"
#include "foundation/FileManager.h"
#include "foundation/Null.h"
#include "foundation/Number.h"
#include "foundation/PropertyListReader.h"
#include "foundation/String.h"
#include "testing/TemporaryHome.h"

#include <gtest/gtest.h>

#include <string>

using namespace ns;

namespace {

const std::string fixtures = std::string(VELMO_FIXTURES) + "/foundation/";
constexpr double distantFuture = 64092211200.0; // 4001-01-01

void expectEveryType(const Id& value)
{
    auto root = cast<Dictionary>(value);
    ASSERT_TRUE(root);
    EXPECT_EQ(root->stringForKey("text"), "Grüße <&> 😀");
    auto yes = root->objectAs<Number>("yes");
    ASSERT_TRUE(yes);
    EXPECT_TRUE(yes->isBool());
    EXPECT_TRUE(yes->boolValue());
    auto no = root->objectAs<Number>("no");
    ASSERT_TRUE(no);
    EXPECT_TRUE(no->isBool());
    EXPECT_FALSE(no->boolValue());
    auto integer = root->objectAs<Number>("integer");
    ASSERT_TRUE(integer);
    EXPECT_EQ(integer->kind(), Number::Kind::Signed);
    EXPECT_EQ(integer->longLongValue(), -42);
    auto large = root->objectAs<Number>("large");
    ASSERT_TRUE(large);
    EXPECT_EQ(large->kind(), Number::Kind::Unsigned);
    EXPECT_EQ(large->unsignedLongLongValue(), 18446744073709551615ull);
    auto real = root->objectAs<Number>("real");
    ASSERT_TRUE(real);
    EXPECT_EQ(real->kind(), Number::Kind::Double);
    EXPECT_DOUBLE_EQ(real->doubleValue(), 0.5);
    auto data = root->objectAs<Data>("data");
    ASSERT_TRUE(data);
    EXPECT_EQ(data->view(), "Hello");
    auto date = root->objectAs<Date>("date");
    ASSERT_TRUE(date);
    EXPECT_DOUBLE_EQ(date->timeIntervalSince1970(), 1300000000.0);
    auto future = root->objectAs<Date>("future");
    ASSERT_TRUE(future);
    EXPECT_DOUBLE_EQ(future->timeIntervalSince1970(), distantFuture);
    auto list = root->objectAs<Array>("list");
    ASSERT_TRUE(list);
    ASSERT_EQ(list->count(), 4u);
    EXPECT_EQ(describe(list->objectAtIndex(0)), "one");
    EXPECT_EQ(list->objectAs<Number>(1)->longLongValue(), 2);
    EXPECT_EQ(list->objectAs<Dictionary>(2)->count(), 0u);
    EXPECT_EQ(list->objectAs<Array>(3)->count(), 0u);
    EXPECT_EQ(root->allKeys().size(), 10u);
}

} // namespace

TEST(PropertyList, ReadsAndRewritesEveryTypeFromXmlAndBinary)
{
    for (const char* name : {"every-type.plist", "every-type.bplist"}) {
        SCOPED_TRACE(name);
        Ref<Error> error;
        Id value = PropertyList::propertyListWithContentsOfFile(fixtures + name, &error);
        ASSERT_TRUE(value) << describe(error);
        expectEveryType(value);

        // Written as XML and read back, nothing changes, key order included.
        auto xml = PropertyList::dataWithPropertyList(value, &error);
        ASSERT_TRUE(xml) << describe(error);
        Id again = PropertyList::propertyListWithData(*xml, &error);
        ASSERT_TRUE(again) << describe(error);
        expectEveryType(again);
        EXPECT_TRUE(isEqual(value, again));
        EXPECT_EQ(cast<Dictionary>(again)->allKeys().front()->description(), "text");
    }
}

TEST(PropertyList, WritesTheXmlFormat)
{
    auto value = Dictionary::withStrings({{"a&b", String::make("<x>")},
                                          {"n", Number::numberWithInt(7)},
                                          {"d", Date::withTimeIntervalSince1970(0)},
                                          {"e", Array::make()}});
    std::string text = PropertyList::xmlText(value);
    EXPECT_EQ(text, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                    "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
                    "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
                    "<plist version=\"1.0\">\n"
                    "<dict>\n"
                    "\t<key>a&amp;b</key>\n"
                    "\t<string>&lt;x&gt;</string>\n"
                    "\t<key>n</key>\n"
                    "\t<integer>7</integer>\n"
                    "\t<key>d</key>\n"
                    "\t<date>1970-01-01T00:00:00Z</date>\n"
                    "\t<key>e</key>\n"
                    "\t<array/>\n"
                    "</dict>\n"
                    "</plist>\n");
}

TEST(PropertyList, RoundTripsValuesAtTheEdges)
{
    struct Row
    {
        const char* name;
        Id value;
    } rows[] = {
        {"most negative", Number::numberWithLongLong(INT64_MIN)},
        {"minus one", Number::numberWithLongLong(-1)},
        {"unsigned top", Number::numberWithUnsignedLongLong(UINT64_MAX)},
        {"tenth", Number::numberWithDouble(0.1)},
        {"infinity", Number::numberWithDouble(1.0 / 0.0)},
        {"distant past", Date::distantPast()},
        {"distant future", Date::distantFuture()},
        {"before 1970", Date::withTimeIntervalSince1970(-86401)},
        {"empty text", String::make("")},
        {"control characters", String::make("tab\tline\ncarriage\r")},
        {"empty data", Data::make({})},
        {"binary data", Data::make({0, 255, 1, 254, 2, 253, 3})},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Ref<Error> error;
        auto data = PropertyList::dataWithPropertyList(Array::make({row.value}), &error);
        ASSERT_TRUE(data) << describe(error);
        auto back = cast<Array>(PropertyList::propertyListWithData(*data, &error));
        ASSERT_TRUE(back) << describe(error) << "\n" << data->view();
        EXPECT_TRUE(isEqual(back->objectAtIndex(0), row.value))
            << describe(back->objectAtIndex(0)) << " vs " << describe(row.value);
    }
}

TEST(PropertyList, RefusesValuesThatAreNotPropertyLists)
{
    struct Row
    {
        const char* name;
        Id value;
    } rows[] = {
        {"nothing", nullptr},
        {"null", Null::null()},
        {"null in an array", Array::make({String::make("a"), Null::null()})},
        {"null in a dictionary", Dictionary::withStrings({{"a", Null::null()}})},
        {"number key", Dictionary::make({{Number::numberWithInt(1), String::make("a")}})},
        {"error", Error::withDescription("d", 1, "x")},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Ref<Error> error;
        EXPECT_FALSE(PropertyList::dataWithPropertyList(row.value, &error));
        ASSERT_TRUE(error);
        EXPECT_EQ(error->code(), PropertyListWriteInvalidError);
        EXPECT_FALSE(PropertyList::isValid(row.value));
        EXPECT_FALSE(PropertyList::copyPropertyList(row.value));
    }
}

TEST(PropertyList, CorruptInputGivesAnError)
{
    std::string deep = "<plist>";
    for (int i = 0; i < 100000; ++i)
        deep += "<array>";
    std::string truncatedBinary = "bplist00\xd0";
    struct Row
    {
        const char* name;
        std::string bytes;
    } rows[] = {
        {"empty", ""},
        {"garbage", "garbage"},
        {"unknown element", "<plist><unknown/></plist>"},
        {"empty plist", "<plist></plist>"},
        {"deep nesting", deep},
        {"truncated binary", truncatedBinary},
        {"binary with a broken trailer", std::string("bplist00") + std::string(40, '\xff')},
        {"invalid UTF-8", "<plist><string>\xff\xfe</string></plist>"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Ref<Error> error;
        EXPECT_FALSE(PropertyList::propertyListWithData(row.bytes, &error));
        ASSERT_TRUE(error);
        EXPECT_EQ(error->domain(), CocoaErrorDomain);
        EXPECT_EQ(error->code(), PropertyListReadCorruptError);
    }
    Ref<Error> error;
    EXPECT_FALSE(PropertyList::propertyListWithContentsOfFile(fixtures + "corrupt.plist", &error));
    EXPECT_TRUE(error);
}

TEST(PropertyList, BinaryThatRefersToItselfIsRefused)
{
    // One array object (index 0) whose only element is itself.
    std::string bytes = "bplist00";
    bytes += "\xa1\x00"; // array of one, element ref 0
    bytes += "\x08";     // offset table: object 0 at 8
    std::string trailer(32, '\0');
    trailer[6] = 1;   // offset size
    trailer[7] = 1;   // reference size
    trailer[15] = 1;  // one object
    trailer[31] = 10; // offset table at 10
    bytes += trailer;
    Ref<Error> error;
    EXPECT_FALSE(PropertyList::propertyListWithData(bytes, &error));
    EXPECT_TRUE(error);
}

TEST(PropertyList, WriteToFileIsAtomicAndRefusalKeepsTheOldFile)
{
    testkit::TemporaryHome home;
    std::string path = home.file("list.plist");
    ASSERT_TRUE(PropertyList::writePropertyList(Dictionary::withStrings({{"k", String::make("v")}}), path));
    Ref<Error> error;
    EXPECT_FALSE(PropertyList::writePropertyList(Array::make({Null::null()}), path, &error));
    EXPECT_TRUE(error);
    auto back = cast<Dictionary>(PropertyList::propertyListWithContentsOfFile(path));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->stringForKey("k"), "v");
    auto names = FileManager::contentsOfDirectoryAtPath(home.path());
    ASSERT_TRUE(names);
    for (const auto& name : *names)
        EXPECT_NE(name.front(), '.') << "temporary file left behind: " << name;
}

// Plain XML documents are read without the library; what they give must be what the library gives, and
// what the direct reading does not take is left to the library.
TEST(PropertyList, PlainXmlReadsAsTheLibraryReadsIt)
{
    const std::string head =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE plist PUBLIC \"-//Apple//DTD "
        "PLIST 1.0//EN\" \"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n<plist "
        "version=\"1.0\">\n";
    struct Row
    {
        const char* body;
        bool direct; // read without the library
    };
    const Row rows[] = {
        {"<array>\n\t<dict>\n\t\t<key>item</key>\n\t\t<dict>\n\t\t\t<key>n</key>\n\t\t\t<integer>1</"
         "integer>\n"
         "\t\t</dict>\n\t\t<key>uid</key>\n\t\t<string>a-1</string>\n\t</dict>\n</array>",
         true},
        {"<dict><key>a &amp; b</key><string> x &lt;y&gt; &quot;z&quot; &apos;w&apos; </string></dict>", true},
        {"<array><true/><false/><string/><dict/><array/><string></string></array>", true},
        {"<array><integer>-9223372036854775808</integer><integer>18446744073709551615</integer>"
         "<integer>0</integer><integer>9223372036854775807</integer></array>",
         true},
        {"<dict><key>k</key><string>1</string><key>k</key><string>2</string></dict>", true},
        {"<string>caf\xC3\xA9 \xE2\x82\xAC</string>", true},
        {"<dict><key>a</key><real>1.5</real></dict>", false},
        {"<array><integer>007</integer><integer>+1</integer></array>", false},
        {"<array><date>2011-01-01T00:00:00Z</date><data>AAE=</data></array>", false},
        {"<string>&#65;</string>", false},
        {"<array><!-- note --><string>a</string></array>", false},
        {"<string><![CDATA[a<b]]></string>", false},
        {"<string>line\r\nend</string>", false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.body);
        std::string xml = head + row.body + "\n</plist>\n";
        std::string reason;
        ns::Id library = ns::PropertyListReader::readThroughLibrary(xml, reason);
        ns::Id direct = ns::PropertyListReader::readCommonXml(xml);
        EXPECT_EQ(direct != nullptr, row.direct);
        ASSERT_TRUE(library) << reason;
        if (direct) {
            EXPECT_TRUE(ns::isEqual(direct, library))
                << ns::describe(direct) << " / " << ns::describe(library);
        }
        EXPECT_TRUE(ns::isEqual(ns::PropertyList::propertyListWithData(xml), library));
    }
    // Not a property list: the direct reading leaves the reason to the library.
    for (const char* body :
         {"<array><string>a</string>", "<dict><string>a</string></dict>", "<key>a</key>"}) {
        std::string xml = head + body + "\n</plist>\n";
        EXPECT_FALSE(ns::PropertyListReader::readCommonXml(xml)) << body;
    }
}
