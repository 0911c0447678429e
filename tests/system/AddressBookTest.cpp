#include "system/AddressBook.h"
#include "foundation/Log.h"
#include "system/Digest.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

std::string card(const std::string& body)
{
    return "BEGIN:VCARD\r\nVERSION:3.0\r\n" + body + "END:VCARD\r\n";
}

class TemporaryFolder
{
public:
    TemporaryFolder()
    {
        char pattern[] = "/tmp/velmo-ab-XXXXXX";
        m_path = mkdtemp(pattern);
    }
    ~TemporaryFolder() { std::filesystem::remove_all(m_path); }
    const std::string& path() const { return m_path; }

private:
    std::string m_path;
};

TEST(AddressBook, ReadsNamesOrganisationAndLabelledNumbers)
{
    std::string text =
        card("UID:a\r\nN:Berg;Anna;;;\r\nFN:Anna Berg\r\nORG:Acme\\, Inc.;Sales\r\n"
             "TEL;TYPE=CELL,VOICE:+46 70\r\nTEL;TYPE=IPHONE:111\r\nTEL;type=HOME;type=FAX:222\r\n"
             "item1.TEL:333\r\nitem1.X-ABLabel:Cabin\r\nTEL:444\r\nTEL;TYPE=work:555\r\n") +
        "BEGIN:VCARD\r\nVERSION:4.0\r\nFN:Zoe Fischer\r\nN:Fischer;Zoe;;;\r\n"
        "TEL;VALUE=uri;TYPE=\"cell,voice\":tel:+49-151\r\nEND:VCARD\r\n";
    auto book = ab::AddressBook::fromVCard(text);
    ASSERT_EQ(book->count(), 2u);
    auto anna = book->allPeople()[0];
    EXPECT_EQ(anna->firstName(), "Anna");
    EXPECT_EQ(anna->lastName(), "Berg");
    EXPECT_EQ(anna->organization(), "Acme, Inc.");
    struct Row
    {
        std::optional<std::string> label;
        std::string value;
    };
    const Row expected[] = {{"_$!<Mobile>!$_", "+46 70"}, {"iPhone", "111"},
                            {"_$!<HomeFAX>!$_", "222"},   {"Cabin", "333"},
                            {std::nullopt, "444"},        {"_$!<Work>!$_", "555"}};
    auto phones = anna->phoneNumbers();
    ASSERT_EQ(phones.size(), std::size(expected));
    for (std::size_t i = 0; i < phones.size(); ++i) {
        SCOPED_TRACE(expected[i].value);
        EXPECT_EQ(phones[i].label, expected[i].label);
        EXPECT_EQ(phones[i].value, expected[i].value);
    }
    auto zoe = book->allPeople()[1];
    ASSERT_EQ(zoe->phoneNumbers().size(), 1u);
    EXPECT_EQ(zoe->phoneNumbers()[0].label, "_$!<Mobile>!$_");
    EXPECT_EQ(zoe->phoneNumbers()[0].value, "+49-151");
    EXPECT_EQ(book->personWithRecordID(zoe->recordID()), zoe);
    EXPECT_FALSE(book->personWithRecordID(9999));
}

TEST(AddressBook, DecodesInlinePhotosInBothForms)
{
    std::string png = cc::base64Encode(std::string("\x89PNG fake bytes"));
    std::string folded = png.substr(0, 5) + "\r\n " + png.substr(5);
    auto book =
        ab::AddressBook::fromVCard(card("N:A;B;;;\r\nPHOTO;ENCODING=b;TYPE=PNG:" + folded + "\r\n") +
                                   card("N:C;D;;;\r\nPHOTO:data:image/png;base64," + png + "\r\n") +
                                   card("N:E;F;;;\r\nPHOTO;VALUE=uri:http://example.invalid/p.png\r\n"));
    ASSERT_EQ(book->count(), 3u);
    for (int i = 0; i < 2; ++i) {
        ASSERT_TRUE(book->allPeople()[i]->hasImageData());
        EXPECT_EQ(book->allPeople()[i]->thumbnailData()->view(), "\x89PNG fake bytes");
    }
    EXPECT_FALSE(book->allPeople()[2]->hasImageData());
}

TEST(AddressBook, SkipsMalformedCardsWithALogLine)
{
    ns::LogCapture log;
    auto book =
        ab::AddressBook::fromVCard(card("N:Good;One;;;\r\n") + "BEGIN:VCARD\r\nN:Broken;No end;;;\r\n" +
                                   card("N:Good;Two;;;\r\nthis line has no colon\r\n") + card("TEL:123\r\n") +
                                   card("N:Good;Three;;;\r\n") + "\x01\xff garbage");
    ASSERT_EQ(book->count(), 2u);
    EXPECT_EQ(book->allPeople()[0]->firstName(), "One");
    EXPECT_EQ(book->allPeople()[1]->firstName(), "Three");
    EXPECT_EQ(log.lines().size(), 3u);
    EXPECT_TRUE(log.contains("skipped"));
}

TEST(AddressBook, TellsWhetherItWasReadWholeAndWhyNot)
{
    std::string one = card("N:Good;One;;;\r\nTEL:1\r\n");
    std::string two = card("N:Good;Two;;;\r\nTEL:2\r\n");
    struct Row
    {
        const char* name;
        std::string text;
        std::size_t people;
        const char* reason; // empty: read whole
    };
    const Row rows[] = {
        {"two cards", one + two, 2, ""},
        {"two cards without line breaks at the end", one + two.substr(0, two.size() - 2), 2, ""},
        {"blank lines between cards", one + "\r\n\r\n" + two, 2, ""},
        {"empty", "", 0, "the file is empty"},
        {"line breaks only", "\r\n\n", 0, "the file is empty"},
        {"cut inside the second card", one + two.substr(0, 30), 1,
         "contact card at line 6 skipped: it has no END"},
        {"cut inside a BEGIN line", one + "BEGIN:VC", 1, "line 6 is not part of a contact card"},
        {"cut inside the END line", one + two.substr(0, two.size() - 6), 1, "it has no END"},
        {"garbage after the cards", one + "\x01 garbage", 1, "line 6 is not part of a contact card"},
        {"an end without a beginning", "END:VCARD\r\n" + one, 1,
         "line 1 ends a contact card that never began"},
        {"a card without a name", one + card("TEL:3\r\n"), 1, "it has no name and no organisation"},
        {"a line that is not a property", one + card("N:A;B;;;\r\nno colon\r\n"), 1, "is not a property"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        ns::LogCapture log;
        auto book = ab::AddressBook::fromVCard(row.text);
        EXPECT_EQ(book->count(), row.people);
        EXPECT_EQ(book->isReadWhole(), std::string(row.reason).empty());
        EXPECT_NE(book->notReadWholeReason().find(row.reason), std::string::npos)
            << book->notReadWholeReason();
    }
    EXPECT_TRUE(ab::AddressBook::withPeople({})->isReadWhole());

    TemporaryFolder folder;
    ab::AddressBook::setDefaultPath(folder.path() + "/Contacts.vcf");
    auto missing = ab::AddressBook::create();
    ab::AddressBook::setDefaultPath("");
    ASSERT_TRUE(missing);
    EXPECT_EQ(missing->count(), 0u);
    EXPECT_FALSE(missing->isReadWhole());
    EXPECT_EQ(missing->notReadWholeReason(), "there is no address book file");
}

TEST(AddressBook, IdentifiersSurviveRelaunchesAndEdits)
{
    TemporaryFolder folder;
    std::string ids = folder.path() + "/Contacts.vcf.ids";
    auto first =
        ab::AddressBook::fromVCard(card("UID:x\r\nN:X;Ann;;;\r\n") + card("UID:y\r\nN:Y;Bob;;;\r\n"), ids);
    ab::RecordID bob = first->allPeople()[1]->recordID();
    // The file is edited: a card is added before Bob and Ann is removed.
    auto second =
        ab::AddressBook::fromVCard(card("UID:z\r\nN:Z;Cid;;;\r\n") + card("UID:y\r\nN:Y;Bob;;;\r\n"), ids);
    EXPECT_EQ(second->allPeople()[1]->recordID(), bob);
    EXPECT_NE(second->allPeople()[0]->recordID(), first->allPeople()[0]->recordID());
    auto third = ab::AddressBook::fromVCard(card("UID:x\r\nN:X;Ann;;;\r\n"), ids);
    EXPECT_EQ(third->allPeople()[0]->recordID(), first->allPeople()[0]->recordID());
}

TEST(AddressBook, ComparesPeopleByNameInEitherOrdering)
{
    auto book = ab::AddressBook::fromVCard(card("N:Zeta;Anna;;;\r\n") + card("N:Alpha;Zoe;;;\r\n") +
                                           card("ORG:Harbour Pizza\r\n") +
                                           card("N:\xC3\x85str\xC3\xB6m;\xC3\x89mile;;;\r\n"));
    auto people = book->allPeople();
    auto sorted = [&](ab::SortOrdering ordering) {
        auto copy = people;
        std::stable_sort(copy.begin(), copy.end(), [&](const auto& a, const auto& b) {
            return ab::AddressBook::comparePeopleByName(*a, *b, ordering) < 0;
        });
        std::vector<std::string> names;
        for (auto& p : copy)
            names.push_back(p->firstName().value_or(p->organization().value_or("")));
        return names;
    };
    EXPECT_EQ(sorted(ab::SortOrdering::ByFirstName),
              (std::vector<std::string>{"Anna", "\xC3\x89mile", "Harbour Pizza", "Zoe"}));
    EXPECT_EQ(sorted(ab::SortOrdering::ByLastName),
              (std::vector<std::string>{"Zoe", "\xC3\x89mile", "Harbour Pizza", "Anna"}));
}

} // namespace

namespace {

TEST(AddressBook, TheBundledSampleReadsCleanly)
{
    ns::LogCapture log;
    std::FILE* file = std::fopen(VELMO_RESOURCES "/Contacts.vcf", "rb");
    ASSERT_TRUE(file);
    std::string text;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;)
        text.append(buffer, n);
    std::fclose(file);
    auto book = ab::AddressBook::fromVCard(text);
    EXPECT_EQ(book->count(), 15u);
    EXPECT_TRUE(log.lines().empty());
    EXPECT_TRUE(book->isReadWhole()) << book->notReadWholeReason();
    int withoutPhoto = 0;
    for (auto& person : book->allPeople())
        withoutPhoto += person->hasImageData() ? 0 : 1;
    EXPECT_EQ(withoutPhoto, 1);
}

} // namespace
