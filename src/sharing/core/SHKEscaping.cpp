#include "sharing/core/SHKEscaping.h"

#include "foundation/Escaping.h"
#include "foundation/Text.h"
#include "foundation/URL.h"

#include <set>

std::string SHKEscapeQueryText(const std::optional<std::string>& text)
{
    if (!text)
        return {};
    return SHKEscapeQueryValue(ns::replaceAll(*text, "&amp;", "&"));
}

std::string SHKEscapeQueryValue(const std::optional<std::string>& value)
{
    if (!value)
        return {};
    std::string escaped = ns::addingPercentEscapes(*value);
    escaped = ns::replaceAll(escaped, "&", "%26");
    escaped = ns::replaceAll(escaped, "+", "%2B");
    escaped = ns::replaceAll(escaped, "#", "%23");
    escaped = ns::replaceAll(escaped, "!", "%21");
    return ns::replaceAll(escaped, "@", "%40");
}

std::string SHKEscapeURLString(const ns::Ref<ns::URL>& url)
{
    if (!url)
        return {};
    return ns::addingPercentEscapes(url->absoluteString(), {}, "!*'();:@&=+$,/?%#[]");
}

std::string SHKPlainTextFromHTML(std::string_view html, bool keepLineBreaks)
{
    // The tags are found in the text as given and replaced in a working copy, so a tag text met again
    // further on has already been replaced everywhere.
    std::string text(html);
    std::set<std::string, std::less<>> replaced;
    std::size_t position = 0;
    while (position < html.size()) {
        std::size_t open = html.find('<', position);
        if (open == std::string_view::npos)
            break;
        std::size_t close = html.find('>', open);
        if (close == std::string_view::npos)
            break;
        std::string tag(html.substr(open, close - open + 1));
        if (replaced.insert(tag).second)
            text = ns::replaceAll(text, tag, " ");
        position = close;
    }
    if (!keepLineBreaks)
        text = ns::replaceAll(text, "\n", "");
    return ns::trimWhitespace(text);
}
