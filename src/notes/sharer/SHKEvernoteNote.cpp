#include "notes/sharer/SHKEvernoteNote.h"

#include "notes/calls/EDAMNoteStoreClient.h"
#include "notes/records/EDAMData.h"
#include "notes/records/EDAMNote.h"
#include "notes/records/EDAMNoteAttributes.h"
#include "notes/records/EDAMNotebook.h"
#include "notes/records/EDAMResource.h"
#include "notes/records/EDAMResourceAttributes.h"
#include "notes/sharer/SHKEvernoteItem.h"

#include "foundation/Array.h"
#include "foundation/Data.h"
#include "foundation/Escaping.h"
#include "foundation/Format.h"
#include "foundation/String.h"
#include "foundation/Text.h"
#include "foundation/URL.h"
#include "foundation/URLConnection.h"
#include "foundation/URLRequest.h"
#include "sharing/core/SHKEscaping.h"
#include "sharing/core/SHKLocalizedText.h"
#include "sharing/core/SHKPlatformAdditions.h"
#include "system/Digest.h"
#include "uikit/Image.h"

#include <cmath>
#include <exception>

const char* const SHKEvernoteNote::ContentHeader =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
    "<!DOCTYPE en-note SYSTEM \"http://xml.evernote.com/pub/enml2.dtd\">"
    "<en-note style=\"word-wrap: break-word; -webkit-nbsp-mode: space; -webkit-line-break: "
    "after-white-space;\">";

namespace {

bool isEmpty(const std::optional<std::string>& text)
{
    return !text || text->empty();
}

bool isEmpty(const ns::Ref<ns::String>& text)
{
    return !text || text->str().empty();
}

// A data block of the bytes: the body, its length, and its MD5 as the body hash.
ns::Ref<EDAMData> dataWithBody(const ns::Ref<ns::Data>& body)
{
    auto data = ns::make<EDAMData>();
    auto digest = cc::md5(body->view());
    data->setBodyHash(ns::Data::make(std::move(digest)));
    data->setSize(static_cast<int32_t>(body->length()));
    data->setBody(body);
    return data;
}

// A resource holding the bytes as its data and its recognition data.
ns::Ref<EDAMResource> resourceWithBody(const ns::Ref<ns::Data>& body, const std::optional<std::string>& mime)
{
    auto resource = ns::make<EDAMResource>();
    auto data = dataWithBody(body);
    resource->setData(data);
    resource->setRecognition(data);
    resource->setMime(mime ? ns::String::make(*mime) : nullptr);
    return resource;
}

// The mark-up of the item's title, address, text, image and file; resources made for the image and the
// file are added to the list, and the address becomes the attributes' source.
std::string contentForItem(const SHKItem& item, ns::MutableArray& resources, EDAMNoteAttributes& attributes)
{
    std::string content = SHKEvernoteNote::ContentHeader;
    std::string url = item.URL() ? item.URL()->absoluteString() : std::string();
    std::string title = SHKEvernoteNote::escapedForMarkup(item.title().value_or(""));
    if (!url.empty()) {
        std::string link = SHKEvernoteNote::escapedForMarkup(url);
        if (!title.empty())
            content += "<h1><a href=\"" + link + "\">" + title + "</a></h1>";
        content += "<p><a href=\"" + link + "\">" + link + "</a></p>";
        attributes.setSourceURL(ns::String::make(url));
    } else if (!title.empty()) {
        content += "<h1>" + title + "</h1>";
    }
    if (!isEmpty(item.text()))
        content +=
            "<p>" + SHKEvernoteNote::escapedForMarkup(SHKPlainTextFromHTML(*item.text(), true)) + "</p>";
    if (item.image()) {
        if (auto jpeg = ui::ImageJPEGRepresentation(item.image(), 0.6f)) {
            auto resource = resourceWithBody(jpeg, std::string("image/jpeg"));
            resources.addObject(resource);
            cg::Size size = item.image()->size();
            content +=
                "<p>" + SHKEvernoteNote::enMediaTagWithResource(*resource, size.width, size.height) + "</p>";
        }
    }
    if (item.data()) {
        auto resource = resourceWithBody(item.data(), item.mimeType());
        resources.addObject(resource);
        content += "<p>" + SHKEvernoteNote::enMediaTagWithResource(*resource, 0, 0) + "</p>";
    }
    content += "</en-note>";
    return content;
}

// Resources of a prepared note that name a JPEG image by address only: the image is loaded and placed
// where the note's mark-up shows it as an img tag. One that cannot be loaded stays as it is.
void loadPreparedResources(EDAMNote& note, const ns::MutableArray& resources)
{
    for (std::size_t i = 0; i < resources.count(); ++i) {
        try {
            auto resource = ns::cast<EDAMResource>(resources.objectAtIndex(i));
            if (!resource || resource->data() || !resource->attributes())
                continue;
            auto source = resource->attributes()->sourceURL();
            if (isEmpty(source) || !resource->mime() || resource->mime()->str() != "image/jpeg")
                continue;
            auto address = ns::URL::withString(source->str());
            if (!address)
                continue;
            auto bytes = ns::URLConnection::sendSynchronousRequest(ns::URLRequest::requestWithURL(address),
                                                                   nullptr, nullptr);
            auto image = bytes ? ui::Image::imageWithData(bytes) : nullptr;
            if (!image)
                continue;
            auto data = dataWithBody(bytes);
            resource->setData(data);
            resource->setRecognition(data);
            if (auto content = note.content()) {
                std::string text = content->str();
                cg::Size size = image->size();
                std::string tag = "<img src=\"";
                tag += source->str();
                tag += "\" />";
                text = ns::replaceAll(
                    text, tag, SHKEvernoteNote::enMediaTagWithResource(*resource, size.width, size.height));
                note.setContent(ns::String::make(std::move(text)));
            }
        } catch (const std::exception&) {
            // One resource that cannot be prepared does not stop the others or the note.
        }
    }
}

} // namespace

std::string SHKEvernoteNote::escapedForMarkup(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    ns::appendXMLEscaped(out, text, true);
    return out;
}

std::vector<std::string> SHKEvernoteNote::tagNames(std::string_view tags)
{
    std::vector<std::string> names;
    std::string current;
    for (char c : tags) {
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v') {
            if (!current.empty())
                names.push_back(std::move(current));
            current.clear();
        } else {
            current += c;
        }
    }
    if (!current.empty())
        names.push_back(std::move(current));
    return names;
}

std::string SHKEvernoteNote::enMediaTagWithResource(const EDAMResource& resource, float width, float height)
{
    std::string size;
    if (width > 0 && height > 0)
        size = ns::format("height=\"%.0f\" width=\"%.0f\" ", height, width);
    auto data = resource.data();
    auto body = data ? data->body() : nullptr;
    std::string hash = md5(body ? *body : ns::Data());
    std::string mime = resource.mime() ? resource.mime()->str() : std::string();
    return "<en-media type=\"" + escapedForMarkup(mime) + "\" " + size + "hash=\"" + hash + "\"/>";
}

ns::Ref<EDAMNotebook>
SHKEvernoteNote::defaultNoteBookFromNoteStore(EDAMNoteStore& noteStore,
                                              const std::optional<std::string>& authenticationToken)
{
    auto notebooks = noteStore.listNotebooks(authenticationToken);
    if (!notebooks)
        return nullptr;
    for (std::size_t i = 0; i < notebooks->count(); ++i) {
        auto notebook = ns::cast<EDAMNotebook>(notebooks->objectAtIndex(i));
        if (notebook && notebook->defaultNotebook())
            return notebook;
    }
    return nullptr;
}

ns::Ref<EDAMNote> SHKEvernoteNote::noteForItem(const ns::Ref<SHKItem>& item, EDAMNoteStore& noteStore,
                                               const std::optional<std::string>& authenticationToken,
                                               double now)
{
    ns::Ref<EDAMNote> note;
    auto resources = ns::MutableArray::make();
    auto prepared = ns::cast<SHKEvernoteItem>(item);
    if (prepared && (note = prepared->note())) {
        if (auto own = note->resources())
            resources = own->mutableCopy();
    } else {
        note = ns::make<EDAMNote>();
    }

    auto attributes =
        note->attributesIsSet() && note->attributes() ? note->attributes() : ns::make<EDAMNoteAttributes>();
    if (isEmpty(attributes->sourceURL()) && item->URL())
        attributes->setSourceURL(ns::String::make(item->URL()->absoluteString()));

    if (isEmpty(note->notebookGuid())) {
        // Without a default notebook the service puts the note in its own default.
        if (auto notebook = defaultNoteBookFromNoteStore(noteStore, authenticationToken))
            note->setNotebookGuid(notebook->guid());
    }

    if (!isEmpty(item->title()))
        note->setTitle(ns::String::make(*item->title()));
    else if (isEmpty(note->title()))
        note->setTitle(ns::String::make(SHKLookupLocalizedText("Untitled")));

    if ((!note->tagNames() || note->tagNames()->count() == 0) && !isEmpty(item->tags())) {
        auto names = ns::MutableArray::make();
        for (auto& name : tagNames(*item->tags()))
            names->addObject(ns::String::make(std::move(name)));
        if (names->count() > 0)
            note->setTagNames(names);
    }

    if (isEmpty(note->content()))
        note->setContent(ns::String::make(contentForItem(*item, *resources, *attributes)));

    loadPreparedResources(*note, *resources);

    note->setResources(resources);
    note->setAttributes(attributes);
    note->setCreated(static_cast<int64_t>(std::trunc(now)) * 1000);
    return note;
}
