#include "sharing/core/SHKItem.h"

#include "foundation/Data.h"
#include "foundation/Exception.h"
#include "foundation/Format.h"
#include "foundation/Number.h"
#include "foundation/String.h"
#include "foundation/Text.h"
#include "foundation/URL.h"
#include "uikit/Image.h"

namespace {

void putText(ns::MutableDictionary& dictionary, const std::optional<std::string>& text, std::string_view key)
{
    if (text)
        dictionary.setObject(ns::String::make(*text), key);
}

} // namespace

ns::Ref<SHKItem> SHKItem::create()
{
    return ns::Factory<SHKItem>::make();
}

ns::Ref<SHKItem> SHKItem::URL(ns::Ref<ns::URL> url, std::optional<std::string> title)
{
    auto item = create();
    item->setShareType(SHKShareTypeURL);
    item->setURL(std::move(url));
    item->setTitle(std::move(title));
    return item;
}

ns::Ref<SHKItem> SHKItem::image(ns::Ref<ui::Image> image, std::optional<std::string> title)
{
    auto item = create();
    item->setShareType(SHKShareTypeImage);
    item->setImage(std::move(image));
    item->setTitle(std::move(title));
    return item;
}

ns::Ref<SHKItem> SHKItem::text(std::string text)
{
    auto item = create();
    item->setShareType(SHKShareTypeText);
    item->setText(std::move(text));
    return item;
}

ns::Ref<SHKItem> SHKItem::file(ns::Ref<ns::Data> data, std::optional<std::string> filename,
                               std::optional<std::string> mimeType, std::optional<std::string> title)
{
    auto item = create();
    item->setShareType(SHKShareTypeFile);
    item->setData(std::move(data));
    item->setFilename(std::move(filename));
    item->setMimeType(std::move(mimeType));
    item->setTitle(std::move(title));
    return item;
}

ns::Ref<SHKItem> SHKItem::itemFromDictionary(const ns::Dictionary& dictionary)
{
    auto item = create();
    // The integer value of the stored number; a text holding a number reads the same way.
    ns::Id type = dictionary.objectForKey("shareType");
    if (auto number = ns::cast<ns::Number>(type))
        item->setShareType(static_cast<SHKShareType>(number->intValue()));
    else if (auto text = ns::cast<ns::String>(type))
        item->setShareType(static_cast<SHKShareType>(ns::intValue(text->str())));

    // A value of the wrong kind counts as none.
    if (auto url = dictionary.stringForKey("URL"))
        item->setURL(ns::URL::withString(*url));
    item->setTitle(dictionary.stringForKey("title"));
    item->setText(dictionary.stringForKey("text"));
    item->setTags(dictionary.stringForKey("tags"));
    if (auto custom = dictionary.objectAs<ns::Dictionary>("custom"))
        item->setCustom(custom->mutableCopy());
    item->setMimeType(dictionary.stringForKey("mimeType"));
    item->setFilename(dictionary.stringForKey("filename"));
    if (auto png = dictionary.objectAs<ns::Data>("image"))
        item->setImage(ui::Image::imageWithData(*png));
    return item;
}

void SHKItem::setCustomValue(ns::Id value, std::string_view key)
{
    if (!m_custom)
        m_custom = ns::MutableDictionary::make();
    if (value)
        m_custom->setObject(std::move(value), key);
    else
        m_custom->removeObjectForKey(key);
}

ns::Id SHKItem::customValueForKey(std::string_view key) const
{
    return m_custom ? m_custom->objectForKey(key) : nullptr;
}

bool SHKItem::customBoolForSwitchKey(std::string_view key) const
{
    auto text = ns::cast<ns::String>(customValueForKey(key));
    return text && text->str() == "1";
}

ns::Ref<ns::MutableDictionary> SHKItem::dictionaryRepresentation() const
{
    auto dictionary = ns::MutableDictionary::make();
    dictionary->setObject(ns::Number::numberWithInt(m_shareType), "shareType");
    if (m_custom)
        dictionary->setObject(m_custom->copy(), "custom");
    // The address is kept exactly as written: decoding its escapes would turn "%26" and "%3D" into
    // delimiters, "%20" into text that no longer parses, and lose an escape that is not UTF-8.
    if (m_URL)
        dictionary->setObject(ns::String::make(m_URL->absoluteString()), "URL");
    putText(*dictionary, m_title, "title");
    putText(*dictionary, m_text, "text");
    putText(*dictionary, m_tags, "tags");
    putText(*dictionary, m_mimeType, "mimeType");
    putText(*dictionary, m_filename, "filename");
    if (m_data)
        dictionary->setObject(m_data, "data");
    if (auto png = ui::ImagePNGRepresentation(m_image))
        dictionary->setObject(png, "image");
    return dictionary;
}

std::string SHKItem::shareTypeToString(int32_t type)
{
    switch (type) {
    case SHKShareTypeUndefined:
        return "SHKShareTypeUndefined";
    case SHKShareTypeURL:
        return "SHKShareTypeURL";
    case SHKShareTypeText:
        return "SHKShareTypeText";
    case SHKShareTypeImage:
        return "SHKShareTypeImage";
    case SHKShareTypeFile:
        return "SHKShareTypeFile";
    case SHKShareTypeAccountInfo:
        // An account-information item is made by every sharer that fetches a profile; naming it keeps
        // its description from raising.
        return "SHKShareTypeAccountInfo";
    default:
        ns::raise(ns::GenericException, "Unexpected FormatType.");
    }
}

std::string SHKItem::description() const
{
    return ns::format("Share type: %@\nURL:%@\nImage:%@\nTitle: %@\nText: %@\nTags:%@\nCustom fields:%@",
                      shareTypeToString(m_shareType),
                      m_URL ? m_URL->absoluteString() : std::optional<std::string>(), m_image, m_title,
                      m_text, m_tags, m_custom);
}
