#include "RecordSamples.h"
#include "RecordTestSupport.h"

#include <gtest/gtest.h>

using namespace notes_test;

namespace {

Bytes goldenBytes()
{
    return fromHex(readFile(std::string(VELMO_SOURCE_ROOT) + "/tests/fixtures/notes/note-golden.hex"));
}

} // namespace

TEST(EDAMNoteGolden, WritesTheCommittedBytes)
{
    EXPECT_EQ(toHex(bytesOf(*goldenNote())), toHex(goldenBytes()));
}

TEST(EDAMNoteGolden, ReadsTheCommittedBytesBackEqual)
{
    EDAMNote note;
    readInto(note, goldenBytes());
    auto expected = goldenNote();
    EXPECT_EQ(note.description(), expected->description());
    EXPECT_EQ(toHex(bytesOf(note)), toHex(goldenBytes()));

    EXPECT_FALSE(note.updatedIsSet());
    EXPECT_FALSE(note.tagGuidsIsSet());
    ASSERT_EQ(note.resources()->count(), 2u);
    auto second = note.resources()->objectAs<EDAMResource>(1);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->data()->body()->bytes(), (std::vector<uint8_t>{0x00, 0xff, 0x7f}));
    EXPECT_FALSE(second->attributesIsSet());
    EXPECT_EQ(note.resources()->objectAs<EDAMResource>(0)->duration(), -1);
    EXPECT_TRUE(note.resources()->objectAs<EDAMResource>(0)->attributes()->attachmentIsSet());
    EXPECT_EQ(note.attributes()->sourceURL()->str(), "http://example.com/?a=1&b=2");
    EXPECT_EQ(ns::describe(note.tagNames()), ns::describe(expected->tagNames()));
}
