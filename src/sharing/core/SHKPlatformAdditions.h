#pragma once

#include "foundation/Object.h"

#include <string>

namespace ns {
class Data;
class MutableDictionary;
class URL;
} // namespace ns
namespace ui {
class WebView;
}

// Small additions to platform classes that the sharers use.

// The MD5 digest of the bytes as 32 lower-case hexadecimal digits, first byte first.
std::string md5(const ns::Data& data);

// In place: every null value becomes the empty text, inside nested dictionaries and arrays too, so that a
// parsed reply can be stored as a property list. A container that cannot change is replaced by a changed
// copy.
void convertNSNullsToEmptyStrings(ns::MutableDictionary& dictionary);

// Deletes from the shared cookie storage every cookie that it would send to the URL.
void deleteCookiesForURL(const ns::Ref<ns::URL>& url);

// The title of the page in the web view ("document.title").
std::string pageTitle(ui::WebView& webView);
