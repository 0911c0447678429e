#include "RecordSamples.h"
#include "RecordTestSupport.h"

#include "notes/records/EDAMAuthenticationResult.h"
#include "notes/records/EDAMNote.h"
#include "notes/records/EDAMNotebook.h"

#include <thrift/protocol/TCompactProtocol.h>
#include <thrift/protocol/TProtocolException.h>
#include <thrift/transport/TTransportException.h>

#include <gtest/gtest.h>

#include <thread>

using namespace notes_test;
using namespace apache::thrift::protocol;
using apache::thrift::TException;
using apache::thrift::transport::TTransportException;

namespace {

void stringField(TProtocol& p, int16_t id, const std::string& text)
{
    p.writeFieldBegin("", T_STRING, id);
    p.writeString(text);
    p.writeFieldEnd();
}

void i32Field(TProtocol& p, int16_t id, int32_t value)
{
    p.writeFieldBegin("", T_I32, id);
    p.writeI32(value);
    p.writeFieldEnd();
}

} // namespace

TEST(EDAMRecordRead, KnownIdWithAnotherTypeIsSkipped)
{
    Bytes input = craft([](TProtocol& p) {
        i32Field(p, 2, 9);
        i32Field(p, 3, 1234); // body is binary, not i32
        stringField(p, 1, "hash");
        p.writeFieldStop();
    });
    EDAMData data;
    readInto(data, input);
    EXPECT_EQ(data.size(), 9);
    EXPECT_FALSE(data.bodyIsSet());
    EXPECT_EQ(data.body(), nullptr);
    ASSERT_TRUE(data.bodyHashIsSet());
    EXPECT_EQ(data.bodyHash()->view(), "hash");
}

TEST(EDAMRecordRead, IdsInTheGapsOfATableAreSkipped)
{
    struct Row
    {
        const char* name;
        std::function<std::string(const Bytes&)> readLastField;
        std::vector<int16_t> gaps;
        int16_t lastId;
    };
    // Each input carries every gap id (as a string, an i64 and a nested struct) and then one real string
    // field.
    const Row rows[] = {
        {"Resource",
         [](const Bytes& b) {
             EDAMResource r;
             readInto(r, b);
             return r.mime()->str();
         },
         {10},
         4},
        {"User",
         [](const Bytes& b) {
             EDAMUser r;
             readInto(r, b);
             return r.shardId()->str();
         },
         {5, 8, 12, 99},
         14},
        {"Accounting",
         [](const Bytes& b) {
             EDAMAccounting r;
             readInto(r, b);
             return r.premiumSubscriptionNumber()->str();
         },
         {15},
         16},
        {"NoteAttributes",
         [](const Bytes& b) {
             EDAMNoteAttributes r;
             readInto(r, b);
             return r.author()->str();
         },
         {2, 3, 4, 5, 6, 7, 8, 9},
         13},
        {"UserAttributes",
         [](const Bytes& b) {
             EDAMUserAttributes r;
             readInto(r, b);
             return r.comments()->str();
         },
         {8, 10},
         9},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Bytes input = craft([&](TProtocol& p) {
            for (int16_t gap : row.gaps) {
                stringField(p, gap, "skipped");
                p.writeFieldBegin("", T_I64, gap);
                p.writeI64(-1);
                p.writeFieldBegin("", T_STRUCT, gap);
                i32Field(p, 1, 1);
                p.writeFieldStop();
            }
            stringField(p, row.lastId, "kept");
            p.writeFieldStop();
        });
        EXPECT_EQ(row.readLastField(input), "kept");
    }
}

// An unknown field of each type the wire knows, then known fields: the reader passes over exactly the
// unknown value's bytes, so what follows is read and the input is used up to its end.
TEST(EDAMRecordRead, UnknownFieldsOfEveryTypeAreSkippedWhole)
{
    struct Row
    {
        const char* name;
        TType type;
        std::function<void(TProtocol&)> writeValue;
    };
    const Row rows[] = {
        {"bool", T_BOOL, [](TProtocol& p) { p.writeBool(true); }},
        {"byte", T_BYTE, [](TProtocol& p) { p.writeByte(-3); }},
        {"i16", T_I16, [](TProtocol& p) { p.writeI16(-2); }},
        {"i32", T_I32, [](TProtocol& p) { p.writeI32(70000); }},
        {"i64", T_I64, [](TProtocol& p) { p.writeI64(int64_t{1} << 40); }},
        {"double", T_DOUBLE, [](TProtocol& p) { p.writeDouble(2.5); }},
        {"string", T_STRING, [](TProtocol& p) { p.writeString(std::string("unknown")); }},
        {"struct", T_STRUCT,
         [](TProtocol& p) {
             p.writeFieldBegin("", T_BOOL, 1);
             p.writeBool(false);
             stringField(p, 2, "inner");
             p.writeFieldStop();
         }},
        {"map", T_MAP,
         [](TProtocol& p) {
             p.writeMapBegin(T_STRING, T_BOOL, 2);
             p.writeString(std::string("a"));
             p.writeBool(true);
             p.writeString(std::string("b"));
             p.writeBool(false);
         }},
        {"set", T_SET,
         [](TProtocol& p) {
             p.writeSetBegin(T_BOOL, 3);
             for (bool value : {true, false, true})
                 p.writeBool(value);
         }},
        {"list", T_LIST,
         [](TProtocol& p) {
             p.writeListBegin(T_DOUBLE, 2);
             p.writeDouble(1.0);
             p.writeDouble(-1.0);
         }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Bytes input = craft([&](TProtocol& p) {
            p.writeFieldBegin("", row.type, 99);
            row.writeValue(p);
            stringField(p, 2, "kept");
            i32Field(p, 5, 7);
            p.writeFieldStop();
        });
        Wire wire(input);
        EDAMNote note;
        EXPECT_NO_THROW(note.read(*wire.protocol));
        EXPECT_EQ(note.titleIsSet() ? note.title()->str() : "<none>", "kept");
        EXPECT_EQ(note.contentLength(), 7);
        EXPECT_EQ(wire.buffer->available_read(), 0u);
    }
}

TEST(EDAMRecordRead, NotebookWithoutDefaultFlagOrWithAByteAnswersNo)
{
    EDAMNotebook missing;
    readInto(missing, craft([](TProtocol& p) {
                 stringField(p, 1, "nb");
                 p.writeFieldStop();
             }));
    EXPECT_FALSE(missing.defaultNotebook());
    EXPECT_FALSE(missing.defaultNotebookIsSet());

    EDAMNotebook asByte;
    readInto(asByte, craft([](TProtocol& p) {
                 p.writeFieldBegin("", T_BYTE, 6);
                 p.writeByte(1);
                 stringField(p, 2, "Name");
                 p.writeFieldStop();
             }));
    EXPECT_FALSE(asByte.defaultNotebook());
    EXPECT_FALSE(asByte.defaultNotebookIsSet());
    EXPECT_EQ(asByte.name()->str(), "Name");
}

TEST(EDAMRecordRead, NotebookReadsItsNestedPublishing)
{
    EDAMNotebook notebook;
    readInto(notebook, craft([](TProtocol& p) {
                 stringField(p, 9, "gap");
                 p.writeFieldBegin("", T_STRUCT, 10);
                 stringField(p, 1, "http://example.com/pub");
                 i32Field(p, 2, 3);
                 p.writeFieldBegin("", T_BOOL, 3);
                 p.writeBool(true);
                 p.writeFieldStop();
                 p.writeFieldBegin("", T_BOOL, 6);
                 p.writeBool(true);
                 p.writeFieldStop();
             }));
    ASSERT_TRUE(notebook.publishingIsSet());
    EXPECT_EQ(notebook.publishing()->uri()->str(), "http://example.com/pub");
    EXPECT_EQ(notebook.publishing()->order(), 3);
    EXPECT_TRUE(notebook.publishing()->ascending());
    EXPECT_FALSE(notebook.publishing()->publicDescriptionIsSet());
    EXPECT_TRUE(notebook.defaultNotebook());
    EXPECT_FALSE(notebook.stackIsSet());
}

TEST(EDAMRecordRead, ReadingDoesNotClearFirstAndTheLaterOccurrenceWins)
{
    EDAMNote note;
    note.setTitle(ns::String::make("Before"));
    note.setCreated(42);
    note.setActive(true);
    note.unsetActive();
    readInto(note, craft([](TProtocol& p) {
                 stringField(p, 3, "first");
                 stringField(p, 3, "second");
                 p.writeFieldStop();
             }));
    EXPECT_EQ(note.title()->str(), "Before");
    EXPECT_EQ(note.created(), 42);
    EXPECT_EQ(note.content()->str(), "second");
    EXPECT_FALSE(note.activeIsSet());
    EXPECT_TRUE(note.active());

    // An empty struct changes nothing.
    readInto(note, Bytes{0x00});
    EXPECT_EQ(note.title()->str(), "Before");
    EXPECT_EQ(note.content()->str(), "second");
}

TEST(EDAMRecordRead, AuthenticationResultWithoutUserHasNoUser)
{
    EDAMAuthenticationResult result;
    readInto(result, craft([](TProtocol& p) {
                 stringField(p, 2, "S=s1:U=1:token");
                 p.writeFieldStop();
             }));
    EXPECT_TRUE(result.authenticationTokenIsSet());
    EXPECT_FALSE(result.userIsSet());

    readInto(result, craft([](TProtocol& p) {
                 p.writeFieldBegin("", T_STRUCT, 4);
                 stringField(p, 14, "s1");
                 p.writeFieldBegin("", T_STRUCT, 16);
                 stringField(p, 15, "gap");
                 p.writeFieldBegin("", T_I64, 1);
                 p.writeI64(1 << 20);
                 p.writeFieldStop();
                 p.writeFieldStop();
                 p.writeFieldStop();
             }));
    ASSERT_TRUE(result.userIsSet());
    EXPECT_EQ(result.user()->shardId()->str(), "s1");
    EXPECT_EQ(result.user()->accounting()->uploadLimit(), 1 << 20);
    EXPECT_EQ(result.authenticationToken()->str(), "S=s1:U=1:token");
}

TEST(EDAMRecordRead, ShortInputRaisesAndLeavesWhatWasRead)
{
    Bytes input = craft([](TProtocol& p) {
        stringField(p, 2, "Title");
        stringField(p, 3, "Content that is cut");
        p.writeFieldStop();
    });
    input.resize(input.size() - 6);
    EDAMNote note;
    EXPECT_THROW(readInto(note, input), TTransportException);
    EXPECT_EQ(note.title()->str(), "Title");
    EXPECT_FALSE(note.contentIsSet());
}

TEST(EDAMRecordRead, ForgedLengthsFailWithoutAllocatingThem)
{
    struct Row
    {
        const char* name;
        Bytes input;
    };
    auto withHugeLength = [](TType type, int16_t id) {
        return craft([=](TProtocol& p) {
            p.writeFieldBegin("", type, id);
            p.writeI32(0x7ffffff0);
            p.writeI32(0);
        });
    };
    const Row rows[] = {
        {"string field", withHugeLength(T_STRING, 2)},
        {"binary field", withHugeLength(T_STRING, 4)},
        {"skipped string", withHugeLength(T_STRING, 99)},
        {"string list", craft([](TProtocol& p) {
             p.writeFieldBegin("", T_LIST, 15);
             p.writeListBegin(T_STRING, 0x7ffffff0);
         })},
        {"resource list", craft([](TProtocol& p) {
             p.writeFieldBegin("", T_LIST, 13);
             p.writeListBegin(T_STRUCT, 0x7ffffff0);
             p.writeFieldStop();
         })},
        {"skipped map", craft([](TProtocol& p) {
             p.writeFieldBegin("", T_MAP, 40);
             p.writeMapBegin(T_STRUCT, T_STRUCT, 0x7ffffff0);
         })},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EDAMNote note;
        EXPECT_THROW(readInto(note, row.input), TException);
    }

    Bytes negative = craft([](TProtocol& p) {
        p.writeFieldBegin("", T_STRING, 2);
        p.writeI32(-1);
    });
    EDAMNote note;
    EXPECT_THROW(readInto(note, negative), TProtocolException);
}

TEST(EDAMRecordRead, LimitsOfTheProtocolAreKept)
{
    Bytes list = craft([](TProtocol& p) {
        p.writeFieldBegin("", T_LIST, 15);
        p.writeListBegin(T_STRING, 3);
        for (const char* tag : {"a", "b", "c"})
            p.writeString(std::string(tag));
        p.writeFieldStop();
    });
    Wire limited(list);
    limited.protocol->setContainerSizeLimit(2);
    EDAMNote tagged;
    EXPECT_THROW(tagged.read(*limited.protocol), TProtocolException);

    Bytes input = craft([](TProtocol& p) {
        stringField(p, 2, "longer than eight");
        p.writeFieldStop();
    });
    Wire wire(input);
    wire.protocol->setStringSizeLimit(8);
    EDAMNote note;
    EXPECT_THROW(note.read(*wire.protocol), TProtocolException);
}

TEST(EDAMRecordRead, OtherProtocolsWorkThroughTheirOwnOperations)
{
    auto resource = ns::make<EDAMResource>();
    resource->setData(EDAMData::initWithBodyHash(ns::Data::withString("h"), 3, ns::Data::withString("abc")));
    resource->setWidth(-2);
    EDAMNote note;
    note.setTitle(ns::String::make("Compact"));
    note.setResources(ns::Array::make({resource}));
    note.setTagNames(ns::Array::make({ns::String::make("x")}));
    note.setCreated(-5);
    note.setActive(false);

    auto buffer = std::make_shared<apache::thrift::transport::TMemoryBuffer>();
    TCompactProtocol protocol(buffer);
    note.write(protocol);
    EDAMNote read;
    read.read(protocol);
    EXPECT_EQ(read.description(), note.description());
    EXPECT_EQ(toHex(bytesOf(read)), toHex(bytesOf(note)));
}

TEST(EDAMRecordRead, RecordsReadOnOneThreadLiveOnAfterIt)
{
    Bytes bytes = bytesOf(*fullNote());
    std::vector<ns::Ref<EDAMNote>> notes;
    for (int round = 0; round < 3; ++round) {
        std::thread reader([&] {
            auto note = ns::make<EDAMNote>();
            readInto(*note, bytes);
            notes.push_back(note);
        });
        reader.join();
    }
    // Freed on this thread, after the threads that made them are gone; then made again here.
    for (auto& note : notes)
        EXPECT_EQ(toHex(bytesOf(*note)), toHex(bytes));
    notes.clear();
    EDAMNote again;
    readInto(again, bytes);
    EXPECT_EQ(toHex(bytesOf(again)), toHex(bytes));
}
