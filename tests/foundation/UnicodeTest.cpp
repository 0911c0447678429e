#include "foundation/Unicode.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

using namespace ns;

TEST(Unicode, MapsCaseForAllOfUnicode)
{
    EXPECT_EQ(lowercase("ÀÉÎÕÜ ΣΑΣ İ"), "àéîõü σας i̇");
    EXPECT_EQ(uppercase("straße ﬁ"), "STRASSE FI");
    EXPECT_EQ(lowercase(""), "");
}

TEST(Unicode, FindsTextIgnoringCaseAndDiacritics)
{
    struct Row
    {
        const char* text;
        const char* needle;
        bool found;
    } rows[] = {
        {"Ånnå", "ANN", true},
        {"Joanne", "ANN", true},
        {"Zoë Saldaña", "zoe", true},
        {"Zoë Saldaña", "ana", true},
        {"Ann", "", false},
        {"", "a", false},
        {"Bob", "ann", false},
        {"Ａnn", "ann", false},
        {"François", "CO", true},
        {"Müller", "mul", true},
        {"e\xcc\x81t\xc3\xa9", "ETE", true},
        {"Straße", "STRASSE", true},
        {"ﬁne", "FI", true},
        {"Ann", "\xcc\x81", false},
        {"İstanbul", "istan", true},
        {"Dvořák", "vora", true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.text) + " / " + row.needle);
        EXPECT_EQ(containsIgnoringCaseAndDiacritics(row.text, row.needle), row.found);
        // Folded once and compared, the answer is the same.
        EXPECT_EQ(containsFolded(foldForSearch(row.text), foldForSearch(row.needle)), row.found);
    }
    // Ranges are in UTF-16 units of the original text.
    TextRange range = rangeOfString("😀 Ånnå", "nna", CaseInsensitiveSearch | DiacriticInsensitiveSearch);
    EXPECT_EQ(range.location, 4u);
    EXPECT_EQ(range.length, 3u);
    EXPECT_EQ(rangeOfString("Ann", "ann").location, NotFound);
    EXPECT_EQ(rangeOfString("Ann", "ann", CaseInsensitiveSearch).location, 0u);
    EXPECT_EQ(rangeOfString("Ånn", "ann", CaseInsensitiveSearch).location, NotFound);
    EXPECT_TRUE(hasPrefixIgnoringCase("Xavier", "x"));
    EXPECT_FALSE(hasPrefixIgnoringCase("Max", "x"));
    EXPECT_FALSE(hasPrefixIgnoringCase("Max", ""));
}

TEST(Unicode, ComparesAndSortsNames)
{
    EXPECT_EQ(caseInsensitiveCompare("abc", "ABC"), 0);
    EXPECT_EQ(caseInsensitiveCompare("abc", "ABD"), -1);
    EXPECT_EQ(caseInsensitiveCompare("b", "A"), 1);

    std::vector<std::string> names{"zoe", "Émile", "adam", "Eve", "Bob", "élodie"};
    std::sort(names.begin(), names.end(),
              [](const std::string& a, const std::string& b) { return localizedCompare(a, b) < 0; });
    EXPECT_EQ(names, (std::vector<std::string>{"adam", "Bob", "élodie", "Émile", "Eve", "zoe"}));

    struct Row
    {
        const char* name;
        const char* letter;
    } rows[] = {{"Émile", "E"}, {"ann", "A"}, {"øyvind", "Ø"}, {"42", "#"}, {"", "#"}, {"Ωmega", "Ω"}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(indexLetter(row.name), row.letter);
    }
}
