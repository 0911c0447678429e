#include "sharing/core/SHKEscaping.h"
#include "sharing/core/SHKLocalizedText.h"

#include "foundation/Bundle.h"
#include "foundation/Dictionary.h"
#include "foundation/Error.h"
#include "foundation/String.h"
#include "foundation/URL.h"
#include "testing/TemporaryHome.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// The application's resources are another folder for one test.
class MainBundle
{
public:
    explicit MainBundle(const std::string& path)
    {
        ns::Bundle::setMainPath(path);
        SHKForgetLocalizedTextBundle();
    }
    ~MainBundle()
    {
        ns::Bundle::setMainPath(VELMO_RESOURCES);
        SHKForgetLocalizedTextBundle();
    }
};

TEST(SHKEscaping, EscapesAndStripsTags)
{
    struct Row
    {
        const char* name;
        std::optional<std::string> input;
        std::string query;                               // SHKEscapeQueryText
        std::optional<std::string> value = std::nullopt; // SHKEscapeQueryValue, when it differs
    };
    const Row queries[] = {
        {"nothing", std::nullopt, ""},
        {"empty", "", ""},
        {"entity", "fish &amp; chips", "fish%20%26%20chips", "fish%20%26amp;%20chips"},
        {"plus and blank", "1 + 1", "1%20%2B%201"},
        {"marks", "a#b!c@d", "a%23b%21c%40d"},
        {"kept", "a-b_c.d~e*f'g(h)i;j/k?l:m=n$o,p", "a-b_c.d~e*f'g(h)i;j/k?l:m=n$o,p"},
        {"percent and brackets", "100% [x]", "100%25%20%5Bx%5D"},
        {"UTF-8", "caf\xC3\xA9", "caf%C3%A9"},
        {"line feed", "a\nb", "a%0Ab"},
    };
    for (const auto& row : queries) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(SHKEscapeQueryText(row.input), row.query);
        EXPECT_EQ(SHKEscapeQueryValue(row.input), row.value.value_or(row.query));
    }

    struct URLRow
    {
        const char* url;
        std::string escaped; // SHKEscapeURLString
    };
    const URLRow urls[] = {
        {"https://example.com/a?b=c&d=e", "https%3A%2F%2Fexample.com%2Fa%3Fb%3Dc%26d%3De"},
        {"http://x.org/a%20b#f", "http%3A%2F%2Fx.org%2Fa%2520b%23f"},
        {"http://x.org/~u/a-b_c.d", "http%3A%2F%2Fx.org%2F~u%2Fa-b_c.d"},
        {"http://x.org/!*'();@+$,[]", "http%3A%2F%2Fx.org%2F%21%2A%27%28%29%3B%40%2B%24%2C%5B%5D"},
    };
    for (const auto& row : urls) {
        SCOPED_TRACE(row.url);
        auto url = ns::URL::withString(row.url);
        ASSERT_TRUE(url);
        EXPECT_EQ(SHKEscapeURLString(url), row.escaped);
    }
    EXPECT_EQ(SHKEscapeURLString(nullptr), "");

    struct HTMLRow
    {
        const char* name;
        const char* html;
        bool keepLineBreaks;
        std::string text;
    };
    const HTMLRow pages[] = {
        {"tags become blanks", "<b>bold</b>\n<i>italic</i>", false, "bold  italic"},
        {"line feed kept", "<b>bold</b>\n<i>italic</i>", true, "bold \n italic"},
        {"identical tags", "<p>a</p><p>b</p>", false, "a  b"},
        {"attributes", "<a href=\"x\">link</a> text", false, "link  text"},
        {"no tags", "\t plain text \t", false, "plain text"},
        {"unclosed tag ends the stripping", "<b>x</b> 1 < 2", false, "x  1 < 2"},
        {"stray close", "a > b <i>c</i>", false, "a > b  c"},
        {"nested open", "x<a<b>y", false, "x y"},
        {"no tag text", "(null)> kept", false, "(null)> kept"},
        {"only line feeds trimmed away", "\n<br>\n", false, ""},
        {"carriage return stays", "a\r\nb", false, "a\rb"},
        {"empty", "", false, ""},
    };
    for (const auto& row : pages) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(SHKPlainTextFromHTML(row.html, row.keepLineBreaks), row.text);
    }
}

TEST(SHKLocalizedText, LooksUpAndFillsTexts)
{
    MainBundle resources(std::string(VELMO_FIXTURES) + "/sharing/core");
    EXPECT_EQ(SHKLookupLocalizedText("Share"), "Teilen");
    EXPECT_EQ(SHKLookupLocalizedText("Not in the table"), "Not in the table");
    EXPECT_EQ(SHKFormatLocalizedText("Send to %@", std::string("Twitter")), "Senden an Twitter");
    EXPECT_EQ(SHKFormatLocalizedText("Saved %i of %d", 2, 3), "2 von 3 gesichert");
    // A missing key is still a format.
    EXPECT_EQ(SHKFormatLocalizedText("Follow %@", ns::String::make("velmo")), "Follow velmo");
}

TEST(SHKLocalizedText, WithoutTheBundleTextsStayInEnglish)
{
    testkit::TemporaryHome empty;
    MainBundle resources(empty.path());
    EXPECT_EQ(SHKLookupLocalizedText("Share"), "Share");
    EXPECT_EQ(SHKFormatLocalizedText("Send to %@", std::string("Mail")), "Send to Mail");
}

TEST(SHKLocalizedText, TheShippedTableHoldsEveryTextAsAWorkingFormat)
{
    auto bundle = ns::Bundle::withPath(std::string(VELMO_RESOURCES) + "/ShareCore.bundle");
    ASSERT_TRUE(bundle);
    ns::Ref<ns::Error> error;
    auto table = bundle->stringsTable({}, &error);
    ASSERT_FALSE(error) << error->description();
    EXPECT_GT(table->count(), 90u);
    table->enumerateKeysAndObjects([](const ns::Id& key, const ns::Id& value, bool&) {
        const std::string& text = *ns::stringValue(key);
        SCOPED_TRACE(text);
        EXPECT_EQ(*ns::stringValue(value), text);
        // Every conversion in the shipped texts takes one object.
        static const std::string argument = "X";
        std::vector<ns::FormatArg> args;
        for (std::size_t at = text.find('%'); at != std::string::npos; at = text.find('%', at + 2)) {
            ASSERT_EQ(text.substr(at, 2), "%@");
            args.push_back(ns::toFormatArg(argument));
        }
        EXPECT_NO_THROW(ns::formatArgs(text, args.data(), args.size()));
    });
    for (const char* text : {"Send to %@", "Could not authenticate you. Please relogin.", "Image %@ ",
                             "There was an error saving to ", "Logged Out!", "Untitled"})
        EXPECT_TRUE(table->stringForKey(text)) << text;
    EXPECT_EQ(SHKLookupLocalizedText("Saved!"), "Saved!");
}

} // namespace
