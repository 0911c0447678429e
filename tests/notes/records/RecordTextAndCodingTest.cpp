#include "RecordTestSupport.h"

#include "notes/records/EDAMAuthenticationResult.h"
#include "notes/records/EDAMNote.h"
#include "notes/records/EDAMNotebook.h"

#include <gtest/gtest.h>

using namespace notes_test;

TEST(EDAMRecordText, ShowsEveryFieldByWireType)
{
    EXPECT_EQ(EDAMData().description(), "Data(bodyHash:\"(null)\",size:0,body:\"(null)\")");

    EDAMPublishing publishing;
    publishing.setUri(ns::String::make("abc"));
    publishing.setAscending(true);
    EXPECT_EQ(publishing.description(),
              "Publishing(uri:\"abc\",order:0,ascending:1,publicDescription:\"(null)\")");

    EDAMResource resource;
    resource.setWidth(-3);
    resource.setData(EDAMData::initWithBodyHash(nullptr, 2, ns::Data::withString("Hi")));
    resource.unsetWidth(); // an absent scalar prints its stored value
    EXPECT_EQ(resource.description(),
              "Resource(guid:\"(null)\",noteGuid:\"(null)\",data:Data(bodyHash:\"(null)\",size:2,body:\"" +
                  ns::Data::withString("Hi")->description() +
                  "\"),mime:\"(null)\",width:-3,height:0,duration:0,active:0,recognition:(null),"
                  "attributes:(null),updateSequenceNum:0,alternateData:(null))");

    EDAMNoteAttributes attributes;
    attributes.setSubjectDate(-1700000000000);
    attributes.setLatitude(52.5);
    EXPECT_EQ(attributes.description(),
              "NoteAttributes(subjectDate:-1700000000000,latitude:52.500000,longitude:0.000000,"
              "altitude:0.000000,author:\"(null)\",source:\"(null)\",sourceURL:\"(null)\","
              "sourceApplication:\"(null)\")");

    EDAMUserAttributes user;
    auto tags = ns::Array::make({ns::String::make("a"), ns::String::make("b")});
    user.setViewedPromotions(tags);
    EXPECT_NE(user.description().find(",viewedPromotions:" + tags->description() + ",incomingEmailAddress:"),
              std::string::npos);
}

TEST(EDAMRecordCoding, EncodesSetFieldsUnderTheirNamesWithTheirTypesOperation)
{
    auto info = EDAMPublicUserInfo::initWithUserId(7, nullptr, 2, ns::String::make("quen"));
    RecordingCoder coder;
    info->encodeWithCoder(coder);
    EXPECT_EQ(coder.order, (std::vector<std::string>{"userId", "shardId", "privilege", "username"}));
    EXPECT_EQ(coder.entries["userId"].operation, "Int32");
    EXPECT_EQ(coder.entries["privilege"].operation, "Int");
    EXPECT_EQ(coder.entries["shardId"].operation, "Object");
    EXPECT_EQ(std::get<ns::Id>(coder.entries["shardId"].value), nullptr);

    struct Row
    {
        const char* key;
        const char* operation;
    };
    EDAMResource resource;
    resource.setWidth(5);
    resource.setActive(true);
    auto attributes = ns::make<EDAMResourceAttributes>();
    attributes->setTimestamp(6);
    attributes->setLatitude(1.5);
    resource.setAttributes(attributes);
    resource.setUpdateSequenceNum(8);
    RecordingCoder resourceCoder;
    resource.encodeWithCoder(resourceCoder);
    const Row rows[] = {
        {"width", "Int"}, {"active", "Bool"}, {"attributes", "Object"}, {"updateSequenceNum", "Int32"}};
    ASSERT_EQ(resourceCoder.order.size(), std::size(rows));
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE(rows[i].key);
        EXPECT_EQ(resourceCoder.order[i], rows[i].key);
        EXPECT_EQ(resourceCoder.entries[rows[i].key].operation, rows[i].operation);
    }
    RecordingCoder attributesCoder;
    attributes->encodeWithCoder(attributesCoder);
    EXPECT_EQ(attributesCoder.entries["timestamp"].operation, "Int64");
    EXPECT_EQ(attributesCoder.entries["latitude"].operation, "Double");

    RecordingCoder notebookCoder;
    EDAMNotebook().encodeWithCoder(notebookCoder);
    EXPECT_TRUE(notebookCoder.order.empty());
}

TEST(EDAMRecordCoding, DecodesWhatWasEncodedAndLeavesMissingKeysAbsent)
{
    auto user = EDAMUser::initWithId(1, ns::String::make("quen"), nullptr, ns::String::make("Quen M"),
                                     ns::String::make("Europe/Berlin"), 3, 4, 5, 6, true,
                                     ns::String::make("s1"), ns::make<EDAMUserAttributes>(), nullptr);
    user->unsetUpdated();
    RecordingCoder coder;
    user->encodeWithCoder(coder);
    auto decoded = EDAMUser::initWithCoder(coder);
    EXPECT_EQ(decoded->description(),
              user->description().replace(user->description().find("updated:5"), 9, "updated:0"));
    EXPECT_FALSE(decoded->updatedIsSet());
    EXPECT_TRUE(decoded->emailIsSet());
    EXPECT_EQ(decoded->email(), nullptr);
    EXPECT_EQ(decoded->attributes(), user->attributes());
    EXPECT_EQ(toHex(bytesOf(*decoded)), toHex(bytesOf(*user)));

    RecordingCoder empty;
    auto none = EDAMUser::initWithCoder(empty);
    EXPECT_FALSE(none->idIsSet());
    EXPECT_FALSE(none->attributesIsSet());

    // An archived object of another class than the field's is taken as nothing.
    RecordingCoder wrong;
    wrong.encodeObject(ns::String::make("not a record"), "accounting");
    auto odd = EDAMUser::initWithCoder(wrong);
    EXPECT_TRUE(odd->accountingIsSet());
    EXPECT_EQ(odd->accounting(), nullptr);
}
