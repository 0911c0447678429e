#include "RecordTestSupport.h"

#include "foundation/Exception.h"
#include "notes/records/EDAMAuthenticationResult.h"
#include "notes/records/EDAMNote.h"
#include "notes/records/EDAMNotebook.h"
#include "notes/records/EDAMUserStoreConstants.h"

#include <gtest/gtest.h>

using namespace notes_test;
using Fields = std::vector<std::pair<int, int>>;

namespace {

ns::Ref<ns::String> str(const char* text)
{
    return ns::String::make(text);
}

} // namespace

TEST(EDAMRecord, EmptyRecordWritesOnlyTheFieldStop)
{
    struct Row
    {
        const char* name;
        Bytes bytes;
    };
    const Row rows[] = {
        {"Data", bytesOf(EDAMData())},
        {"Note", bytesOf(EDAMNote())},
        {"NoteAttributes", bytesOf(EDAMNoteAttributes())},
        {"Resource", bytesOf(EDAMResource())},
        {"ResourceAttributes", bytesOf(EDAMResourceAttributes())},
        {"Notebook", bytesOf(EDAMNotebook())},
        {"Publishing", bytesOf(EDAMPublishing())},
        {"User", bytesOf(EDAMUser())},
        {"UserAttributes", bytesOf(EDAMUserAttributes())},
        {"Accounting", bytesOf(EDAMAccounting())},
        {"PublicUserInfo", bytesOf(EDAMPublicUserInfo())},
        {"AuthenticationResult", bytesOf(EDAMAuthenticationResult())},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(row.bytes, Bytes{0x00});
    }
}

TEST(EDAMRecord, InitialiserSetsEveryFlagButNothingIsNotWritten)
{
    auto note = EDAMNote::initWithGuid(nullptr, nullptr, nullptr, nullptr, 5, 6, 7, 8, true, 10, nullptr,
                                       nullptr, nullptr, nullptr, nullptr);
    EXPECT_TRUE(note->guidIsSet());
    EXPECT_TRUE(note->attributesIsSet());
    EXPECT_TRUE(note->tagNamesIsSet());
    EXPECT_EQ(note->guid(), nullptr);
    EXPECT_EQ(fieldsOf(bytesOf(*note)), (Fields{{5, 8}, {6, 10}, {7, 10}, {8, 10}, {9, 2}, {10, 8}}));

    auto data = EDAMData::initWithBodyHash(nullptr, 3, ns::Data::withString("abc"));
    EXPECT_TRUE(data->bodyHashIsSet());
    EXPECT_EQ(fieldsOf(bytesOf(*data)), (Fields{{2, 8}, {3, 11}}));
}

TEST(EDAMRecord, UnsettingAScalarKeepsItsValue)
{
    EDAMData data;
    data.setSize(5);
    data.unsetSize();
    EXPECT_EQ(data.size(), 5);
    EXPECT_FALSE(data.sizeIsSet());
    EXPECT_EQ(bytesOf(data), Bytes{0x00});

    // A zero with its flag set is present.
    data.setSize(0);
    EXPECT_EQ(fieldsOf(bytesOf(data)), (Fields{{2, 8}}));
}

TEST(EDAMRecord, ObjectFieldHasThreeStates)
{
    EDAMNote note;
    EXPECT_FALSE(note.titleIsSet());

    note.setTitle(nullptr);
    EXPECT_TRUE(note.titleIsSet());
    EXPECT_EQ(note.title(), nullptr);
    EXPECT_EQ(bytesOf(note), Bytes{0x00});

    note.setTitle(str("Trip"));
    EXPECT_EQ(fieldsOf(bytesOf(note)), (Fields{{2, 11}}));

    auto held = note.title();
    note.unsetTitle();
    EXPECT_FALSE(note.titleIsSet());
    EXPECT_EQ(note.title(), nullptr);
    // What the getter gave stays valid after the field changes.
    EXPECT_EQ(held->str(), "Trip");
}

TEST(EDAMRecord, NestedRecordsAreSharedNotCopied)
{
    auto data = EDAMData::initWithBodyHash(nullptr, 1, nullptr);
    EDAMResource first, second;
    first.setData(data);
    second.setData(data);
    data->setSize(2);
    EXPECT_EQ(first.data()->size(), 2);
    EXPECT_EQ(first.data(), second.data());
}

TEST(EDAMRecord, WritesPresentFieldsInAscendingIdOrder)
{
    EDAMNote titled;
    titled.setContent(str("<en-note/>"));
    titled.setTitle(str("Title"));
    EXPECT_EQ(fieldsOf(bytesOf(titled)), (Fields{{2, 11}, {3, 11}}));

    EDAMNote note;
    note.setTagNames(ns::Array::make({str("a")}));
    note.setAttributes(ns::make<EDAMNoteAttributes>());
    note.setCreated(1);
    note.setGuid(str("g"));
    note.setResources(ns::Array::make({ns::make<EDAMResource>(), ns::make<EDAMResource>()}));
    EXPECT_EQ(fieldsOf(bytesOf(note)), (Fields{{1, 11}, {6, 10}, {13, 15}, {14, 12}, {15, 15}}));

    EDAMNoteAttributes attributes;
    attributes.setSourceURL(str("http://example.com/"));
    EXPECT_EQ(fieldsOf(bytesOf(attributes)), (Fields{{15, 11}}));

    EDAMResource resource;
    resource.setAlternateData(ns::make<EDAMData>());
    resource.setAttributes(ns::make<EDAMResourceAttributes>());
    resource.setRecognition(ns::make<EDAMData>());
    resource.setData(ns::make<EDAMData>());
    EXPECT_EQ(fieldsOf(bytesOf(resource)), (Fields{{3, 12}, {9, 12}, {11, 12}, {13, 12}}));
}

TEST(EDAMRecord, ResourceListIsWrittenAsAListOfStructs)
{
    auto first = ns::make<EDAMResource>();
    first.get()->setMime(str("image/jpeg"));
    auto second = ns::make<EDAMResource>();
    second->setWidth(2);
    EDAMNote note;
    note.setResources(ns::Array::make({first, second}));

    Bytes expected = craft([](TProtocol& p) {
        p.writeFieldBegin("resources", apache::thrift::protocol::T_LIST, 13);
        p.writeListBegin(apache::thrift::protocol::T_STRUCT, 2);
        p.writeFieldBegin("mime", apache::thrift::protocol::T_STRING, 4);
        p.writeString(std::string("image/jpeg"));
        p.writeFieldStop();
        p.writeFieldBegin("width", apache::thrift::protocol::T_I16, 5);
        p.writeI16(2);
        p.writeFieldStop();
        p.writeFieldStop();
    });
    EXPECT_EQ(toHex(bytesOf(note)), toHex(expected));
}

TEST(EDAMRecord, EmptyListIsWrittenWithSizeZeroAndReadsBackSet)
{
    EDAMUserAttributes attributes;
    attributes.setViewedPromotions(ns::Array::make());
    Bytes bytes = bytesOf(attributes);
    EXPECT_EQ(toHex(bytes), "0f0005"
                            "0b00000000"
                            "00");

    EDAMUserAttributes read;
    readInto(read, bytes);
    ASSERT_TRUE(read.viewedPromotionsIsSet());
    EXPECT_EQ(read.viewedPromotions()->count(), 0u);
    EXPECT_FALSE(read.recentMailedAddressesIsSet());
}

TEST(EDAMRecord, ListElementOfAnotherClassIsRefusedOnWriting)
{
    EDAMNote note;
    note.setResources(ns::Array::make({ns::make<EDAMData>()}));
    EXPECT_THROW(bytesOf(note), ns::Exception);

    note.setResources(nullptr);
    note.setTagNames(ns::Array::make({ns::make<EDAMData>()}));
    EXPECT_THROW(bytesOf(note), ns::Exception);
}

TEST(EDAMUserStoreConstants, AnnouncesVersionOneSixteen)
{
    for (int call = 0; call < 2; ++call) {
        EXPECT_EQ(EDAMUserStoreConstants::EDAM_VERSION_MAJOR(), 1);
        EXPECT_EQ(EDAMUserStoreConstants::EDAM_VERSION_MINOR(), 16);
    }
    static_assert(std::is_same_v<decltype(EDAMUserStoreConstants::EDAM_VERSION_MAJOR()), int16_t>);
}
