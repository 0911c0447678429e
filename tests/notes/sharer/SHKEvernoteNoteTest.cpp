// The note the note-service sharer makes of a share item, with the note store that names the default
// notebook standing in on 127.0.0.1.

#include "FakeNoteService.h"

#include "notes/calls/EDAMNoteStoreClient.h"
#include "notes/records/EDAMData.h"
#include "notes/records/EDAMNote.h"
#include "notes/records/EDAMNoteAttributes.h"
#include "notes/records/EDAMNotebook.h"
#include "notes/records/EDAMResource.h"
#include "notes/records/EDAMResourceAttributes.h"
#include "notes/sharer/SHKEvernoteItem.h"
#include "notes/sharer/SHKEvernoteNote.h"
#include "notes/transport/THTTPClient.h"

#include "foundation/Array.h"
#include "foundation/Data.h"
#include "foundation/Format.h"
#include "foundation/String.h"
#include "foundation/URL.h"
#include "sharing/core/SHKPlatformAdditions.h"
#include "system/Digest.h"
#include "uikit/Image.h"

#include <thrift/protocol/TBinaryProtocol.h>

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

using notes_test::FakeNoteService;

namespace {

const std::string Header = SHKEvernoteNote::ContentHeader;

ns::Ref<ns::Data> fixture(const std::string& name)
{
    std::ifstream in(std::string(VELMO_FIXTURES) + "/" + name, std::ios::binary);
    return ns::Data::make(std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {}));
}

ns::Ref<ui::Image> picture()
{
    return ui::Image::imageWithData(fixture("graphics/quarters.png"));
}

struct Store
{
    FakeNoteService service;
    ns::Ref<EDAMNoteStoreClient> client;

    Store()
    {
        EXPECT_TRUE(service.start());
        auto url = ns::URL::withString(service.noteStoreURLBase() + FakeNoteService::Shard);
        client =
            EDAMNoteStoreClient::initWithProtocol(std::make_shared<apache::thrift::protocol::TBinaryProtocol>(
                THTTPClient::initWithURL(url), 0, 0, false, false));
    }

    ns::Ref<EDAMNote> noteFor(const ns::Ref<SHKItem>& item, double now = 1300000000.75)
    {
        return SHKEvernoteNote::noteForItem(item, *client, std::string(FakeNoteService::Token), now);
    }
};

std::string text(const ns::Ref<ns::String>& value)
{
    return value ? value->str() : "(none)";
}

std::vector<std::string> texts(const ns::Ref<ns::Array>& array)
{
    std::vector<std::string> out;
    if (array)
        for (std::size_t i = 0; i < array->count(); ++i)
            out.push_back(ns::cast<ns::String>(array->objectAtIndex(i))->str());
    return out;
}

ns::Ref<EDAMResource> resourceAt(const EDAMNote& note, std::size_t index)
{
    return ns::cast<EDAMResource>(note.resources()->objectAtIndex(index));
}

} // namespace

TEST(SHKEvernoteNote, ContentTitleAndSourceFollowTheItem)
{
    struct Row
    {
        const char* name;
        std::function<ns::Ref<SHKItem>()> item;
        std::string body; // between the header and the closing tag
        std::string title;
        std::string sourceURL;
    };
    const Row rows[] = {
        {"address without a title", [] { return SHKItem::URL(ns::URL::withString("http://example.com/a")); },
         "<p><a href=\"http://example.com/a\">http://example.com/a</a></p>", "Untitled",
         "http://example.com/a"},
        {"address and title",
         [] { return SHKItem::URL(ns::URL::withString("http://example.com/a"), std::string("A page")); },
         "<h1><a href=\"http://example.com/a\">A page</a></h1><p><a href=\"http://example.com/a\">"
         "http://example.com/a</a></p>",
         "A page", "http://example.com/a"},
        {"characters of the mark-up in the address and the title",
         [] {
             return SHKItem::URL(ns::URL::withString("http://example.com/?a=1&b=2"),
                                 std::string("Fish & \"<Chips>\""));
         },
         "<h1><a href=\"http://example.com/?a=1&amp;b=2\">Fish &amp; &quot;&lt;Chips&gt;&quot;</a></h1>"
         "<p><a href=\"http://example.com/?a=1&amp;b=2\">http://example.com/?a=1&amp;b=2</a></p>",
         "Fish & \"<Chips>\"", "http://example.com/?a=1&b=2"},
        {"title only",
         [] {
             auto item = SHKItem::text("");
             item->setTitle(std::string("Just a title"));
             return item;
         },
         "<h1>Just a title</h1>", "Just a title", "(none)"},
        {"text with tags, kept line breaks and a stray less-than sign",
         [] { return SHKItem::text("one <b>two</b>\nthree & 1 < 2"); },
         "<p>one  two \nthree &amp; 1 &lt; 2</p>", "Untitled", "(none)"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Store store;
        auto note = store.noteFor(row.item());
        EXPECT_EQ(text(note->content()), Header + row.body + "</en-note>");
        EXPECT_EQ(text(note->title()), row.title);
        ASSERT_TRUE(note->attributes());
        EXPECT_EQ(text(note->attributes()->sourceURL()), row.sourceURL);
        EXPECT_EQ(note->resources()->count(), 0u);
    }
}

TEST(SHKEvernoteNote, ImagesAndFilesBecomeResourcesNamedByTheMD5OfTheirBytes)
{
    Store store;
    auto image = picture();
    ASSERT_TRUE(image);
    auto note = store.noteFor(SHKItem::image(image, std::string("Photo")));
    ASSERT_EQ(note->resources()->count(), 1u);
    auto resource = resourceAt(*note, 0);
    EXPECT_EQ(text(resource->mime()), "image/jpeg");
    auto body = resource->data()->body();
    EXPECT_EQ(body->bytes(), ui::ImageJPEGRepresentation(image, 0.6f)->bytes());
    EXPECT_EQ(resource->data()->size(), static_cast<int32_t>(body->length()));
    EXPECT_EQ(resource->recognition(), resource->data());
    EXPECT_EQ(cc::hex(resource->data()->bodyHash()->bytes()), md5(*body));
    std::string tag = ns::format("<en-media type=\"image/jpeg\" height=\"%.0f\" width=\"%.0f\" hash=\"%@\"/>",
                                 image->size().height, image->size().width, md5(*body));
    EXPECT_EQ(text(note->content()), Header + "<h1>Photo</h1><p>" + tag + "</p></en-note>");

    auto bytes = ns::Data::withString("%PDF-1.4 not much");
    note = store.noteFor(
        SHKItem::file(bytes, std::string("a.pdf"), std::string("application/pdf"), std::nullopt));
    ASSERT_EQ(note->resources()->count(), 1u);
    EXPECT_EQ(text(resourceAt(*note, 0)->mime()), "application/pdf");
    EXPECT_EQ(resourceAt(*note, 0)->data()->body()->bytes(), bytes->bytes());
    EXPECT_EQ(text(note->content()),
              Header + "<p><en-media type=\"application/pdf\" hash=\"" + md5(*bytes) + "\"/></p></en-note>");
}

TEST(SHKEvernoteNote, MediaTagsGiveTheSizeOnlyWhenBothSidesAreThere)
{
    auto resource = ns::make<EDAMResource>();
    resource->setMime(ns::String::make("image/png"));
    auto data = ns::make<EDAMData>();
    data->setBody(ns::Data::withString("abc"));
    resource->setData(data);
    const std::string hash = "900150983cd24fb0d6963f7d28e17f72";
    struct Row
    {
        float width, height;
        std::string tag;
    };
    const Row rows[] = {
        {10.4f, 20.6f, "<en-media type=\"image/png\" height=\"21\" width=\"10\" hash=\"" + hash + "\"/>"},
        {0, 20, "<en-media type=\"image/png\" hash=\"" + hash + "\"/>"},
        {10, 0, "<en-media type=\"image/png\" hash=\"" + hash + "\"/>"},
        {-1, -1, "<en-media type=\"image/png\" hash=\"" + hash + "\"/>"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.tag);
        EXPECT_EQ(SHKEvernoteNote::enMediaTagWithResource(*resource, row.width, row.height), row.tag);
    }
}

TEST(SHKEvernoteNote, TagsAreSplitAtRunsOfWhiteSpaceWithoutEmptyOnes)
{
    struct Row
    {
        const char* tags;
        std::vector<std::string> names;
    };
    const Row rows[] = {
        {"two words", {"two", "words"}},
        {"two  words", {"two", "words"}},
        {"  lead\ttab\nline  ", {"lead", "tab", "line"}},
        {"   ", {}},
        {"", {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.tags);
        EXPECT_EQ(SHKEvernoteNote::tagNames(row.tags), row.names);
        Store store;
        auto item = SHKItem::text("t");
        item->setTags(std::string(row.tags));
        auto note = store.noteFor(item);
        EXPECT_EQ(texts(note->tagNames()), row.names);
        EXPECT_EQ(note->tagNamesIsSet(), !row.names.empty());
    }
}

TEST(SHKEvernoteNote, TheDefaultNotebookIsTheFirstMarkedOne)
{
    struct Row
    {
        const char* name;
        std::vector<std::pair<std::string, bool>> notebooks;
        std::string guid;
    };
    const Row rows[] = {
        {"second of two", {{"nb-1", false}, {"nb-2", true}}, "nb-2"},
        {"first of two marked", {{"nb-1", true}, {"nb-2", true}}, "nb-1"},
        {"none marked", {{"nb-1", false}}, "(none)"},
        {"no notebooks", {}, "(none)"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Store store;
        store.service.listNotebooks = [&](const std::string&) {
            std::vector<generated::Notebook> notebooks;
            for (const auto& [guid, isDefault] : row.notebooks) {
                generated::Notebook notebook;
                notebook.__set_guid(guid);
                notebook.__set_defaultNotebook(isDefault);
                notebooks.push_back(notebook);
            }
            return notebooks;
        };
        auto note = store.noteFor(SHKItem::text("t"));
        EXPECT_EQ(text(note->notebookGuid()), row.guid);
        EXPECT_EQ(note->notebookGuidIsSet(), row.guid != "(none)");
    }
}

TEST(SHKEvernoteNote, CreatedIsTheWholeSecondInMilliseconds)
{
    Store store;
    EXPECT_EQ(store.noteFor(SHKItem::text("t"), 1300000000.75)->created(), 1300000000000);
    EXPECT_TRUE(store.noteFor(SHKItem::text("t"), 1300000000.75)->createdIsSet());
}

TEST(SHKEvernoteNote, APreparedNoteKeepsWhatItHas)
{
    Store store;
    auto prepared = ns::make<EDAMNote>();
    prepared->setTitle(ns::String::make("Prepared"));
    prepared->setContent(ns::String::make(Header + "<p>mine</p></en-note>"));
    prepared->setNotebookGuid(ns::String::make("nb-mine"));
    prepared->setTagNames(ns::MutableArray::make({ns::String::make("kept")}));
    auto attributes = ns::make<EDAMNoteAttributes>();
    attributes->setSourceURL(ns::String::make("http://source.example/"));
    prepared->setAttributes(attributes);
    auto item = SHKEvernoteItem::create();
    item->setNote(prepared);
    item->setImage(picture());
    item->setURL(ns::URL::withString("http://item.example/"));
    item->setTags(std::string("ignored tags"));

    auto note = store.noteFor(item);
    EXPECT_EQ(note, prepared);
    EXPECT_EQ(text(note->content()), Header + "<p>mine</p></en-note>");
    EXPECT_EQ(text(note->title()), "Prepared");
    EXPECT_EQ(text(note->notebookGuid()), "nb-mine");
    EXPECT_EQ(texts(note->tagNames()), std::vector<std::string>{"kept"});
    EXPECT_EQ(note->attributes(), attributes);
    EXPECT_EQ(text(attributes->sourceURL()), "http://source.example/");
    EXPECT_EQ(note->resources()->count(), 0u);
    // With its own notebook the store is not asked for the default.
    EXPECT_TRUE(store.service.calls().empty());

    // The item's title wins over the note's.
    item->setTitle(std::string("From the item"));
    EXPECT_EQ(text(store.noteFor(item)->title()), "From the item");
}

TEST(SHKEvernoteNote, PreparedResourcesNamedByAddressAreLoadedAndPlaced)
{
    Store store;
    auto png = fixture("graphics/quarters.png");
    store.service.server.route("/photo.jpg", [png](const testkit::RecordedRequest&) {
        testkit::ScriptedReply reply;
        reply.body = std::string(png->view());
        reply.contentType = "image/png";
        return reply;
    });
    store.service.server.route("/broken.jpg", testkit::ScriptedReply::text(200, "not a picture"));
    auto resourceFrom = [&](const std::string& path) {
        auto resource = ns::make<EDAMResource>();
        resource->setMime(ns::String::make("image/jpeg"));
        auto attributes = ns::make<EDAMResourceAttributes>();
        attributes->setSourceURL(ns::String::make(store.service.server.url(path)));
        resource->setAttributes(attributes);
        return resource;
    };
    auto loaded = resourceFrom("/photo.jpg");
    auto broken = resourceFrom("/broken.jpg");
    auto prepared = ns::make<EDAMNote>();
    std::string photoTag = "<img src=\"" + store.service.server.url("/photo.jpg") + "\" />";
    std::string brokenTag = "<img src=\"" + store.service.server.url("/broken.jpg") + "\" />";
    prepared->setContent(ns::String::make(Header + photoTag + brokenTag + photoTag + "</en-note>"));
    prepared->setResources(ns::MutableArray::make({loaded, broken}));
    auto item = SHKEvernoteItem::create();
    item->setNote(prepared);

    auto note = store.noteFor(item);
    ASSERT_EQ(note->resources()->count(), 2u);
    ASSERT_TRUE(loaded->data());
    EXPECT_EQ(loaded->data()->body()->bytes(), png->bytes());
    EXPECT_EQ(loaded->recognition(), loaded->data());
    EXPECT_FALSE(broken->data());
    auto image = ui::Image::imageWithData(png);
    std::string media =
        SHKEvernoteNote::enMediaTagWithResource(*loaded, image->size().width, image->size().height);
    EXPECT_EQ(text(note->content()), Header + media + brokenTag + media + "</en-note>");
}
