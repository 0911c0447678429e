#include "sharing/core/SHKPlatformAdditions.h"

#include "foundation/Array.h"
#include "foundation/Data.h"
#include "foundation/Dictionary.h"
#include "foundation/HTTPCookieStorage.h"
#include "foundation/Null.h"
#include "foundation/PropertyList.h"
#include "foundation/String.h"
#include "foundation/URL.h"
#include "system/Digest.h"
#include "uikit/WebView.h"

#include <utility>
#include <vector>

namespace {

ns::Id converted(const ns::Id& value, int depth);

// The array with its nulls replaced: the same array when it can change, else a changed mutable copy.
ns::Ref<ns::Array> convertArray(const ns::Ref<ns::Array>& array, int depth)
{
    auto target = array->isMutable() ? ns::cast<ns::MutableArray>(array) : nullptr;
    if (!target)
        target = array->mutableCopy();
    for (std::size_t i = 0; i < target->count(); ++i) {
        ns::Id element = target->objectAtIndex(i);
        ns::Id replacement = converted(element, depth + 1);
        if (replacement != element)
            target->replaceObjectAtIndex(i, replacement);
    }
    return target;
}

void convertDictionary(ns::MutableDictionary& dictionary, int depth)
{
    // Changes are gathered first: a dictionary does not change while it is enumerated.
    std::vector<std::pair<ns::Id, ns::Id>> changes;
    dictionary.enumerateKeysAndObjects([&](const ns::Id& key, const ns::Id& value, bool&) {
        ns::Id replacement = converted(value, depth + 1);
        if (replacement != value)
            changes.emplace_back(key, replacement);
    });
    for (auto& [key, value] : changes)
        dictionary.setObject(std::move(value), key);
}

// The value with its nulls replaced; the value itself when it needs no change or could be changed in
// place. Nesting deeper than any property list may be is left as it is.
ns::Id converted(const ns::Id& value, int depth)
{
    if (ns::isNull(value))
        return ns::String::make("");
    if (depth > ns::PropertyList::MaximumDepth)
        return value;
    if (auto dictionary = ns::cast<ns::Dictionary>(value)) {
        auto target = dictionary->isMutable() ? ns::cast<ns::MutableDictionary>(dictionary) : nullptr;
        if (!target)
            target = dictionary->mutableCopy();
        convertDictionary(*target, depth);
        return target;
    }
    if (auto array = ns::cast<ns::Array>(value))
        return convertArray(array, depth);
    return value;
}

} // namespace

std::string md5(const ns::Data& data)
{
    return cc::hex(cc::md5(data.view()));
}

void convertNSNullsToEmptyStrings(ns::MutableDictionary& dictionary)
{
    convertDictionary(dictionary, 0);
}

void deleteCookiesForURL(const ns::Ref<ns::URL>& url)
{
    auto& storage = ns::HTTPCookieStorage::shared();
    for (const auto& cookie : storage.cookiesForURL(url.get()))
        storage.deleteCookie(cookie);
}

std::string pageTitle(ui::WebView& webView)
{
    return webView.stringByEvaluatingJavaScriptFromString("document.title");
}
