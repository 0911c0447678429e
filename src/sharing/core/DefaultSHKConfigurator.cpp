#include "sharing/core/DefaultSHKConfigurator.h"

#include "foundation/Array.h"
#include "foundation/Ascii.h"
#include "foundation/Dictionary.h"
#include "foundation/Exception.h"
#include "foundation/Format.h"
#include "foundation/Number.h"
#include "foundation/String.h"
#include "uikit/Color.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <initializer_list>
#include <mutex>

namespace {

// A key as it may be shown on a terminal: control characters become escapes, so that a file's bytes cannot
// move the cursor or clear the screen of whoever reads the message.
std::string printable(std::string_view text)
{
    std::string out;
    for (char c : text) {
        auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\x%02X", static_cast<unsigned>(byte));
            out += escape;
        } else
            out += c;
    }
    return out;
}

using Kind = SHKConfigurationKind;

ns::Id text(const char* value)
{
    return ns::String::make(value);
}

ns::Id yes(bool value)
{
    return ns::Number::numberWithBool(value);
}

ns::Id integer(int64_t value)
{
    return ns::Number::numberWithInteger(value);
}

ns::Id texts(std::initializer_list<const char*> values)
{
    std::vector<ns::Id> objects;
    for (const char* value : values)
        objects.push_back(ns::String::make(value));
    return ns::Array::make(std::move(objects));
}

// "#rrggbb" or "#rrggbbaa"; nothing for any other text.
ns::Ref<ui::Color> colourFromText(const std::string& text)
{
    if ((text.size() != 7 && text.size() != 9) || text[0] != '#')
        return nullptr;
    float components[4] = {0, 0, 0, 1};
    for (std::size_t i = 0; i * 2 + 1 < text.size(); ++i) {
        int high = ns::hexDigitValue(text[1 + i * 2]);
        int low = ns::hexDigitValue(text[2 + i * 2]);
        if (high < 0 || low < 0)
            return nullptr;
        components[i] = static_cast<float>(high * 16 + low) / 255.0f;
    }
    return ui::Color::colorWithRed(components[0], components[1], components[2], components[3]);
}

// Three or four numbers from 0 to 1; nothing for anything else.
ns::Ref<ui::Color> colourFromArray(const ns::Array& array)
{
    if (array.count() != 3 && array.count() != 4)
        return nullptr;
    float components[4] = {0, 0, 0, 1};
    for (std::size_t i = 0; i < array.count(); ++i) {
        auto number = array.objectAs<ns::Number>(i);
        if (!number)
            return nullptr;
        double value = number->doubleValue();
        if (!(value >= 0 && value <= 1))
            return nullptr;
        components[i] = static_cast<float>(value);
    }
    return ui::Color::colorWithRed(components[0], components[1], components[2], components[3]);
}

// The value in the form the kind answers, or nothing with `ok` false when it is of another kind.
ns::Id valueOfKind(Kind kind, const ns::Id& value, bool& ok)
{
    ok = true;
    if (!value)
        return nullptr;
    switch (kind) {
    case Kind::Text:
        if (ns::cast<ns::String>(value))
            return value;
        break;
    case Kind::Bool:
        if (auto number = ns::cast<ns::Number>(value))
            return ns::Number::numberWithBool(number->boolValue());
        break;
    case Kind::Number:
        if (ns::cast<ns::Number>(value))
            return value;
        break;
    case Kind::Colour:
        if (ns::cast<ui::Color>(value))
            return value;
        if (auto string = ns::cast<ns::String>(value)) {
            if (string->str().empty())
                return nullptr;
            if (auto colour = colourFromText(string->str()))
                return colour;
        }
        if (auto array = ns::cast<ns::Array>(value))
            if (auto colour = colourFromArray(*array))
                return colour;
        break;
    case Kind::Array:
        if (auto array = ns::cast<ns::Array>(value)) {
            bool texts = true;
            for (const auto& element : *array)
                texts = texts && ns::cast<ns::String>(element) != nullptr;
            if (texts)
                return array->copy();
        }
        break;
    }
    ok = false;
    return nullptr;
}

std::string kindOfValue(const ns::Id& value)
{
    if (ns::cast<ns::String>(value))
        return "a text";
    if (auto number = ns::cast<ns::Number>(value))
        return number->isBool() ? "a boolean" : "a number";
    if (ns::cast<ns::Array>(value))
        return "an array";
    if (ns::cast<ns::Dictionary>(value))
        return "a dictionary";
    return "a " + value->className();
}

// What a kind takes, for the user who wrote a value of another kind.
std::string kindPhrase(Kind kind)
{
    switch (kind) {
    case Kind::Text:
        return "a text";
    case Kind::Bool:
        return "a boolean";
    case Kind::Number:
        return "a number";
    case Kind::Colour:
        return "a colour (\"#rrggbb\", \"#rrggbbaa\", three or four components from 0 to 1, or \"\" for "
               "none)";
    case Kind::Array:
        return "an array of texts";
    }
    return "a text";
}

std::string quoted(const std::string& text)
{
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\')
            out += '\\';
        out += c;
    }
    return out + "\"";
}

std::string hexComponent(float component)
{
    long value = std::lround(std::clamp(component, 0.0f, 1.0f) * 255.0f);
    return ns::format("%02lx", value);
}

} // namespace

ns::Ref<DefaultSHKConfigurator> DefaultSHKConfigurator::create()
{
    return ns::Factory<DefaultSHKConfigurator>::make();
}

DefaultSHKConfigurator::DefaultSHKConfigurator()
{
    defineDefaults();
}

void DefaultSHKConfigurator::defineDefaults()
{
    // Application and social network.
    define("appName", Kind::Text, text("My App Name"));
    define("appURL", Kind::Text, text("https://example.com/"));
    define("facebookAppId", Kind::Text, text(""));
    define("facebookLocalAppId", Kind::Text, text(""));
    define("facebookListOfPermissions", Kind::Array, texts({"publish_stream", "offline_access"}));

    // Service credentials and switches: empty texts are no credentials, so an application sets those of
    // the services it offers.
    define("readItLaterKey", Kind::Text, text(""));
    define("diigoKey", Kind::Text, text(""));
    define("forcePreIOS5TwitterAccess", Kind::Bool, yes(false));
    define("twitterConsumerKey", Kind::Text, text(""));
    define("twitterSecret", Kind::Text, text(""));
    define("twitterCallbackUrl", Kind::Text, text(""));
    define("twitterUseXAuth", Kind::Number, integer(0));
    define("twitterUsername", Kind::Text, text(""));
    define("bitLyLogin", Kind::Text, text(""));
    define("bitLyKey", Kind::Text, text(""));
    define("evernoteUserStoreURL", Kind::Text, text(""));
    define("evernoteNetStoreURLBase", Kind::Text, text(""));
    define("evernoteConsumerKey", Kind::Text, text(""));
    define("evernoteSecret", Kind::Text, text(""));
    define("readabilityConsumerKey", Kind::Text, text(""));
    define("readabilitySecret", Kind::Text, text(""));
    define("readabilityUseXAuth", Kind::Number, integer(1));
    define("foursquareV2ClientId", Kind::Text, text(""));
    define("foursquareV2RedirectURI", Kind::Text, text(""));
    define("vkontakteAppId", Kind::Text, text(""));
    define("flickrConsumerKey", Kind::Text, text(""));
    define("flickrSecretKey", Kind::Text, text(""));
    define("flickrCallbackUrl", Kind::Text, text("app://flickr"));
    define("linkedInConsumerKey", Kind::Text, text(""));
    define("linkedInSecret", Kind::Text, text(""));
    define("linkedInCallbackUrl", Kind::Text, text(""));

    // Appearance. The bar tint is asked with the controller to tint.
    define("barStyle", Kind::Text, text("UIBarStyleDefault"));
    define("barTintForView:", Kind::Colour, nullptr);
    define("formFontColor", Kind::Colour, nullptr);
    define("formBackgroundColor", Kind::Colour, nullptr);
    define("modalPresentationStyle", Kind::Text, text("UIModalPresentationFormSheet"));
    define("modalTransitionStyle", Kind::Text, text("UIModalTransitionStyleCoverVertical"));
    define("usePlaceholders", Kind::Bool, yes(false));

    // Share screens, favourites and behaviour.
    define("shareMenuAlphabeticalOrder", Kind::Number, integer(0));
    define("showActionSheetMoreButton", Kind::Bool, yes(true));
    define("sharersPlistName", Kind::Text, text("SHKSharers.plist"));
    define("defaultFavoriteURLSharers", Kind::Array,
           texts({"SHKTwitter", "SHKFacebook", "SHKReadability", "SHKReadItLater", "SHKVkontakte"}));
    define("defaultFavoriteImageSharers", Kind::Array,
           texts({"SHKMail", "SHKFacebook", "SHKCopy", "SHKVkontakte"}));
    define("defaultFavoriteTextSharers", Kind::Array,
           texts({"SHKMail", "SHKTwitter", "SHKFacebook", "SHKVkontakte", "SHKLinkedIn"}));
    define("defaultFavoriteFileSharers", Kind::Array, texts({"SHKMail", "SHKEvernote"}));
    define("autoOrderFavoriteSharers", Kind::Bool, yes(true));
    define("maxFavCount", Kind::Number, integer(3));
    define("favsPrefixKey", Kind::Text, text("SHK_FAVS_"));
    define("authPrefix", Kind::Text, text("SHK_AUTH_"));
    define("allowOffline", Kind::Bool, yes(true));
    define("allowAutoShare", Kind::Bool, yes(true));
    define("sharedWithSignature", Kind::Number, integer(0));

    // Where each web service lives: scheme, host and port, without a trailing "/"; the sharers add their
    // paths. The real services are the defaults; settings can point any of them at another server.
    define("facebookGraphURL", Kind::Text, text("https://graph.facebook.com"));
    define("facebookRestURL", Kind::Text, text("https://api.facebook.com"));
    define("facebookDialogURL", Kind::Text, text("https://m.facebook.com"));
    define("facebookLoginURL", Kind::Text, text("https://login.facebook.com"));
    define("foursquareV2APIURL", Kind::Text, text("https://api.foursquare.com"));
    define("foursquareV2WebURL", Kind::Text, text("https://foursquare.com"));
    define("twitterAPIURL", Kind::Text, text("https://api.twitter.com"));
    define("twitterImageHostURL", Kind::Text, text("https://img.ly"));
    define("bitLyURL", Kind::Text, text("https://api-ssl.bitly.com"));
    define("readabilityURL", Kind::Text, text("https://www.readability.com"));
    define("diigoAPIURL", Kind::Text, text("https://secure.diigo.com"));
    define("pinboardAPIURL", Kind::Text, text("https://api.pinboard.in"));
    define("instapaperURL", Kind::Text, text("https://www.instapaper.com"));
    define("readItLaterURL", Kind::Text, text("https://readitlaterlist.com"));
    define("googleReaderURL", Kind::Text, text("https://www.google.com"));
    define("googleReaderSecureURL", Kind::Text, text("https://www.google.com"));
}

void DefaultSHKConfigurator::define(std::string key, SHKConfigurationKind kind, ns::Id value)
{
    defineKey(std::move(key), kind, [value](const ns::Id&) { return value; });
}

void DefaultSHKConfigurator::defineKey(std::string key, SHKConfigurationKind kind, Answer answer)
{
    std::unique_lock lock(m_mutex);
    NS_ASSERT(!m_index.contains(key), "the configuration key %@ is defined twice", key);
    m_index.emplace(key, m_entries.size());
    m_entries.push_back(Entry{std::move(key), kind, std::move(answer)});
}

void DefaultSHKConfigurator::overrideAnswer(std::string_view key, ns::Id value)
{
    overrideAnswer(key, [value](const ns::Id&) { return value; });
}

void DefaultSHKConfigurator::overrideAnswer(std::string_view key, Answer answer)
{
    std::unique_lock lock(m_mutex);
    Entry* entry = find(key);
    NS_ASSERT(entry, "%@ is not a configuration key", key);
    entry->answer = std::move(answer);
}

DefaultSHKConfigurator::Entry* DefaultSHKConfigurator::find(std::string_view key)
{
    auto found = m_index.find(key);
    return found == m_index.end() ? nullptr : &m_entries[found->second];
}

const DefaultSHKConfigurator::Entry* DefaultSHKConfigurator::find(std::string_view key) const
{
    auto found = m_index.find(key);
    return found == m_index.end() ? nullptr : &m_entries[found->second];
}

bool DefaultSHKConfigurator::respondsToKey(std::string_view key) const
{
    std::shared_lock lock(m_mutex);
    return find(key) != nullptr;
}

ns::Id DefaultSHKConfigurator::valueForKey(std::string_view key, const ns::Id& object) const
{
    Answer answer;
    {
        std::shared_lock lock(m_mutex);
        const Entry* entry = find(key);
        if (!entry)
            return nullptr;
        answer = entry->answer;
    }
    // Asked outside the lock: an answer may itself ask the configuration.
    return answer(object);
}

std::optional<SHKConfigurationKind> DefaultSHKConfigurator::kindForKey(std::string_view key) const
{
    std::shared_lock lock(m_mutex);
    const Entry* entry = find(key);
    return entry ? std::optional(entry->kind) : std::nullopt;
}

std::vector<std::string> DefaultSHKConfigurator::keys() const
{
    std::shared_lock lock(m_mutex);
    std::vector<std::string> keys;
    keys.reserve(m_entries.size());
    for (const auto& entry : m_entries)
        keys.push_back(entry.key);
    return keys;
}

bool DefaultSHKConfigurator::setValueForKey(std::string_view key, ns::Id value, std::string* reason)
{
    std::unique_lock lock(m_mutex);
    Entry* entry = find(key);
    if (!entry) {
        if (reason)
            *reason = ns::format("\"%@\" is not a configuration key", printable(key));
        return false;
    }
    bool ok = false;
    ns::Id answer = valueOfKind(entry->kind, value, ok);
    if (!ok) {
        if (reason)
            *reason = ns::format("\"%@\" takes %@, not %@", key, kindPhrase(entry->kind), kindOfValue(value));
        return false;
    }
    entry->answer = [answer](const ns::Id&) { return answer; };
    return true;
}

std::vector<std::string> DefaultSHKConfigurator::applyOverrides(const ns::Dictionary& overrides)
{
    std::vector<std::string> reasons;
    overrides.enumerateKeysAndObjects([&](const ns::Id& key, const ns::Id& value, bool&) {
        std::string reason;
        const std::string* name = ns::stringValue(key);
        if (!name)
            reasons.push_back(ns::format("%@ is not a configuration key", key));
        else if (!setValueForKey(*name, value, &reason))
            reasons.push_back(reason);
    });
    return reasons;
}

std::string DefaultSHKConfigurator::kindName(SHKConfigurationKind kind)
{
    switch (kind) {
    case Kind::Text:
        return "text";
    case Kind::Bool:
        return "bool";
    case Kind::Number:
        return "number";
    case Kind::Colour:
        return "colour";
    case Kind::Array:
        return "array";
    }
    return "text";
}

std::string DefaultSHKConfigurator::describeValue(const ns::Id& value)
{
    if (!value)
        return "none";
    if (auto string = ns::cast<ns::String>(value))
        return quoted(string->str());
    if (auto number = ns::cast<ns::Number>(value))
        return number->isBool() ? (number->boolValue() ? "true" : "false") : number->stringValue();
    if (auto colour = ns::cast<ui::Color>(value)) {
        // Appended in place: a literal prepended to a temporary drew a false -Wrestrict from GCC 12 at -O3.
        std::string out = "#";
        out.append(hexComponent(colour->red())).append(hexComponent(colour->green()));
        return out.append(hexComponent(colour->blue())).append(hexComponent(colour->alpha()));
    }
    if (auto array = ns::cast<ns::Array>(value)) {
        std::string out = "(";
        for (std::size_t i = 0; i < array->count(); ++i)
            out.append(i ? ", " : "").append(describeValue(array->objectAtIndex(i)));
        return out + ")";
    }
    return value->description();
}
