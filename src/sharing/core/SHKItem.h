#pragma once

#include "foundation/Dictionary.h"
#include "foundation/Object.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace ns {
class Data;
class URL;
} // namespace ns
namespace ui {
class Image;
}

// What a share item carries. Stored items may hold any number; only these have a meaning.
enum SHKShareType : int32_t {
    SHKShareTypeUndefined = 0,
    SHKShareTypeURL = 1,
    SHKShareTypeText = 2,
    SHKShareTypeImage = 3,
    SHKShareTypeFile = 4,
    // Nothing is shared: the sharer fetches the signed-in user's information instead.
    SHKShareTypeAccountInfo = 5,
};

// The thing being shared: one web address, text, image or file with its title, tags and the values that
// sharers and their forms keep beside it. Its dictionary form is what the offline queue and a sharer
// waiting for a sign-in store.
class SHKItem : public ns::Object
{
public:
    // A new item: undefined type, every field empty.
    static ns::Ref<SHKItem> create();

    static ns::Ref<SHKItem> URL(ns::Ref<ns::URL> url, std::optional<std::string> title = std::nullopt);
    static ns::Ref<SHKItem> image(ns::Ref<ui::Image> image, std::optional<std::string> title = std::nullopt);
    static ns::Ref<SHKItem> text(std::string text);
    static ns::Ref<SHKItem> file(ns::Ref<ns::Data> data, std::optional<std::string> filename,
                                 std::optional<std::string> mimeType, std::optional<std::string> title);
    // Rebuilds an item from its dictionary form. The file's bytes are not read back (the offline queue
    // keeps them in a file of their own); a URL text that does not parse, image bytes that do not decode
    // and values of the wrong kind leave their fields empty.
    static ns::Ref<SHKItem> itemFromDictionary(const ns::Dictionary& dictionary);

    SHKShareType shareType() const { return m_shareType; }
    void setShareType(SHKShareType type) { m_shareType = type; }
    const ns::Ref<ns::URL>& URL() const { return m_URL; }
    void setURL(ns::Ref<ns::URL> url) { m_URL = std::move(url); }
    const ns::Ref<ui::Image>& image() const { return m_image; }
    void setImage(ns::Ref<ui::Image> image) { m_image = std::move(image); }
    const std::optional<std::string>& title() const { return m_title; }
    void setTitle(std::optional<std::string> title) { m_title = std::move(title); }
    const std::optional<std::string>& text() const { return m_text; }
    void setText(std::optional<std::string> text) { m_text = std::move(text); }
    // Tags typed into a share form: one text, not a list.
    const std::optional<std::string>& tags() const { return m_tags; }
    void setTags(std::optional<std::string> tags) { m_tags = std::move(tags); }
    const ns::Ref<ns::Data>& data() const { return m_data; }
    void setData(ns::Ref<ns::Data> data) { m_data = std::move(data); }
    const std::optional<std::string>& mimeType() const { return m_mimeType; }
    void setMimeType(std::optional<std::string> mimeType) { m_mimeType = std::move(mimeType); }
    const std::optional<std::string>& filename() const { return m_filename; }
    void setFilename(std::optional<std::string> filename) { m_filename = std::move(filename); }

    // Sharer-specific values, mostly texts typed into share forms; nothing until the first is set.
    const ns::Ref<ns::MutableDictionary>& custom() const { return m_custom; }
    void setCustom(ns::Ref<ns::MutableDictionary> custom) { m_custom = std::move(custom); }
    // Stores the value under the key (making the dictionary when there is none); nothing removes the key.
    void setCustomValue(ns::Id value, std::string_view key);
    ns::Id customValueForKey(std::string_view key) const;
    // Whether a form's switch row stored "on" under the key: exactly the text "1".
    bool customBoolForSwitchKey(std::string_view key) const;

    // The property-list form: "shareType" always, then "custom", "URL", "title", "text", "tags",
    // "mimeType", "filename", "data" and "image" (PNG bytes), each only when set.
    ns::Ref<ns::MutableDictionary> dictionaryRepresentation() const;

    // "SHKShareTypeUndefined" ... "SHKShareTypeAccountInfo"; any other number raises the generic exception
    // "Unexpected FormatType.".
    static std::string shareTypeToString(int32_t type);

    std::string className() const override { return "SHKItem"; }
    // Seven lines for diagnostics: type, URL, image, title, text, tags and custom values.
    std::string description() const override;

protected:
    SHKItem() = default;
    friend ns::Factory<SHKItem>;

private:
    SHKShareType m_shareType = SHKShareTypeUndefined;
    ns::Ref<ns::URL> m_URL;
    ns::Ref<ui::Image> m_image;
    std::optional<std::string> m_title;
    std::optional<std::string> m_text;
    std::optional<std::string> m_tags;
    ns::Ref<ns::Data> m_data;
    std::optional<std::string> m_mimeType;
    std::optional<std::string> m_filename;
    ns::Ref<ns::MutableDictionary> m_custom;
};
