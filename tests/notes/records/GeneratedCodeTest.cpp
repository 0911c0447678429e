// Our records against what the Thrift compiler generates from our own description of them: each side reads
// what the other writes, and writing again gives the same bytes.

#include "RecordSamples.h"
#include "RecordTestSupport.h"

#include "NoteRecords_types.h"

#include <gtest/gtest.h>

using namespace notes_test;

namespace {

template <class Generated> Generated generatedFrom(const Bytes& bytes)
{
    Wire wire(bytes);
    Generated record;
    record.read(wire.protocol.get());
    return record;
}

template <class Generated> Bytes generatedBytes(const Generated& record)
{
    Wire wire;
    record.write(wire.protocol.get());
    return wire.bytes();
}

std::string text(const ns::Ref<ns::String>& value)
{
    return value ? value->str() : "(none)";
}

} // namespace

TEST(EDAMRecordInterop, GeneratedCodeReadsAndRewritesEveryField)
{
    struct Row
    {
        const char* name;
        Bytes ours;
        std::function<Bytes(const Bytes&)> throughGenerated;
    };
    const Row rows[] = {
        {"Note", bytesOf(*fullNote()),
         [](const Bytes& b) { return generatedBytes(generatedFrom<generated::Note>(b)); }},
        {"Notebook", bytesOf(*fullNotebook()),
         [](const Bytes& b) { return generatedBytes(generatedFrom<generated::Notebook>(b)); }},
        {"AuthenticationResult", bytesOf(*fullAuthenticationResult()),
         [](const Bytes& b) { return generatedBytes(generatedFrom<generated::AuthenticationResult>(b)); }},
        {"golden Note", bytesOf(*goldenNote()),
         [](const Bytes& b) { return generatedBytes(generatedFrom<generated::Note>(b)); }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(toHex(row.throughGenerated(row.ours)), toHex(row.ours));
    }

    auto result = generatedFrom<generated::AuthenticationResult>(bytesOf(*fullAuthenticationResult()));
    EXPECT_EQ(result.user.shardId, "s1");
    EXPECT_TRUE(result.user.attributes.__isset.referralProof);
    EXPECT_EQ(result.user.attributes.recentMailedAddresses.size(), 0u);
    EXPECT_TRUE(result.user.attributes.__isset.recentMailedAddresses);
    EXPECT_EQ(result.user.accounting.lastRequestedCharge, 17);
}

TEST(EDAMRecordInterop, OurRecordsReadWhatGeneratedCodeWrites)
{
    generated::Data data;
    data.__set_bodyHash(std::string(16, '\x01'));
    data.__set_size(3);
    data.__set_body(std::string("\0\1\2", 3));
    generated::ResourceAttributes resourceAttributes;
    resourceAttributes.__set_clientWillIndex(true);
    resourceAttributes.__set_altitude(-12.5);
    generated::Resource resource;
    resource.__set_data(data);
    resource.__set_height(-300);
    resource.__set_attributes(resourceAttributes);
    generated::Note note;
    note.__set_title("From generated code");
    note.__set_deleted(-9);
    note.__set_tagGuids({"g1", "g2"});
    note.__set_resources({resource, resource});
    generated::NoteAttributes attributes;
    attributes.__set_sourceApplication("app");
    note.__set_attributes(attributes);

    Bytes bytes = generatedBytes(note);
    EDAMNote ours;
    readInto(ours, bytes);
    EXPECT_EQ(toHex(bytesOf(ours)), toHex(bytes));
    EXPECT_EQ(text(ours.title()), "From generated code");
    EXPECT_EQ(ours.deleted(), -9);
    ASSERT_EQ(ours.resources()->count(), 2u);
    auto first = ours.resources()->objectAs<EDAMResource>(0);
    EXPECT_EQ(first->height(), -300);
    EXPECT_EQ(first->data()->body()->length(), 3u);
    EXPECT_TRUE(first->attributes()->clientWillIndex());
    EXPECT_EQ(first->attributes()->altitude(), -12.5);
    EXPECT_FALSE(first->attributes()->latitudeIsSet());
    EXPECT_EQ(text(ours.attributes()->sourceApplication()), "app");
    EXPECT_FALSE(ours.contentIsSet());
}

TEST(EDAMRecordInterop, FieldsTheReaderDoesNotKnowArePassedOver)
{
    generated::ResourceFromLater resource;
    resource.__set_guid("r");
    resource.__set_inTheGap("in the gap");
    resource.__set_pastTheEnd({{"k", {1, 2, 3}}});
    resource.__set_mime("text/plain");
    generated::NoteFromLater later;
    later.__set_guid("later");
    later.__set_resources({resource});
    later.__set_pastTheEnd({1, 2});
    later.__set_nested(generated::Notebook());
    later.__set_tagNames({"kept"});
    later.__set_active(true);

    EDAMNote ours;
    readInto(ours, generatedBytes(later));
    EXPECT_EQ(text(ours.guid()), "later");
    EXPECT_TRUE(ours.active());
    ASSERT_EQ(ours.resources()->count(), 1u);
    EXPECT_EQ(text(ours.resources()->objectAs<EDAMResource>(0)->mime()), "text/plain");
    EXPECT_EQ(ns::describe(ours.tagNames()), ns::describe(ns::Array::make({ns::String::make("kept")})));
    EXPECT_EQ(fieldsOf(bytesOf(ours)),
              (std::vector<std::pair<int, int>>{{1, 11}, {9, 2}, {13, 15}, {15, 15}}));

    // And the other way: an older reader passes over what it does not know of ours.
    auto earlier = generatedFrom<generated::NoteFromEarlier>(bytesOf(*fullNote()));
    EXPECT_EQ(earlier.title, "Title \xc3\xa9");
    ASSERT_EQ(earlier.resources.size(), 2u);
    EXPECT_EQ(earlier.resources[0].attributes.fileName, "r.jpg");
}
