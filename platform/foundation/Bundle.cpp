#include "foundation/Bundle.h"

#include "foundation/Ascii.h"
#include "foundation/Data.h"
#include "foundation/Dictionary.h"
#include "foundation/Error.h"
#include "foundation/FileManager.h"
#include "foundation/Log.h"
#include "foundation/PropertyList.h"
#include "foundation/String.h"
#include "foundation/Text.h"

#include <cerrno>

#ifndef VELMO_DEFAULT_BUNDLE
#define VELMO_DEFAULT_BUNDLE "resources"
#endif

namespace ns {
namespace {

std::mutex& globalMutex()
{
    static std::mutex mutex;
    return mutex;
}

std::string& mainPath()
{
    static std::string path = VELMO_DEFAULT_BUNDLE;
    return path;
}

Ref<Bundle>& mainBundle()
{
    static Ref<Bundle> bundle;
    return bundle;
}

std::vector<std::string>& languages()
{
    static std::vector<std::string> list{"en", "English", "Base"};
    return list;
}

Ref<Error> stringsError(const std::string& reason)
{
    return Error::withDescription(CocoaErrorDomain, StringsReadCorruptError,
                                  "The strings table could not be read: " + reason);
}

// The bytes as UTF-8: a UTF-16 table needs its byte-order mark, a UTF-8 one may have one.
std::optional<std::string> decodeText(std::string_view bytes, std::string& reason)
{
    auto byte = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
    if (bytes.size() >= 2 && ((byte(0) == 0xFF && byte(1) == 0xFE) || (byte(0) == 0xFE && byte(1) == 0xFF))) {
        bool little = byte(0) == 0xFF;
        if (bytes.size() % 2) {
            reason = "odd length for UTF-16";
            return std::nullopt;
        }
        std::u16string units;
        units.reserve(bytes.size() / 2);
        for (std::size_t i = 2; i + 1 < bytes.size(); i += 2)
            units.push_back(
                static_cast<char16_t>(little ? byte(i) | (byte(i + 1) << 8) : (byte(i) << 8) | byte(i + 1)));
        for (std::size_t i = 0; i < units.size(); ++i) {
            char16_t unit = units[i];
            if (unit >= 0xD800 && unit <= 0xDBFF) {
                if (i + 1 >= units.size() || units[i + 1] < 0xDC00 || units[i + 1] > 0xDFFF) {
                    reason = "a broken surrogate pair";
                    return std::nullopt;
                }
                ++i;
            } else if (unit >= 0xDC00 && unit <= 0xDFFF) {
                reason = "a broken surrogate pair";
                return std::nullopt;
            }
        }
        return fromUtf16(units);
    }
    if (bytes.size() >= 3 && byte(0) == 0xEF && byte(1) == 0xBB && byte(2) == 0xBF)
        bytes.remove_prefix(3);
    if (!isValidUtf8(bytes)) {
        reason = "not valid UTF-8";
        return std::nullopt;
    }
    return std::string(bytes);
}

// The old text format of property lists, restricted to what strings tables hold.
class StringsParser
{
public:
    explicit StringsParser(std::string_view text) : m_text(text) {}

    Ref<Dictionary> parse(std::string& reason)
    {
        auto table = MutableDictionary::make();
        if (!skip())
            return fail(reason);
        bool braced = peek() == '{';
        if (braced) {
            ++m_at;
            if (!skip())
                return fail(reason);
        }
        while (m_at < m_text.size()) {
            if (braced && peek() == '}') {
                ++m_at;
                if (!skip())
                    return fail(reason);
                if (m_at < m_text.size()) {
                    m_error = "text after the closing brace";
                    return fail(reason);
                }
                return table;
            }
            std::string key, value;
            if (!string(key) || !skip())
                return fail(reason);
            if (peek() == ';') {
                value = key;
            } else if (peek() == '=') {
                ++m_at;
                if (!skip() || !string(value) || !skip())
                    return fail(reason);
                if (peek() != ';') {
                    m_error = "missing \";\"";
                    return fail(reason);
                }
            } else {
                m_error = "missing \"=\"";
                return fail(reason);
            }
            ++m_at;
            table->setObject(String::make(std::move(value)), std::string_view(key));
            if (!skip())
                return fail(reason);
        }
        if (braced) {
            m_error = "missing \"}\"";
            return fail(reason);
        }
        return table;
    }

private:
    char peek() const { return m_at < m_text.size() ? m_text[m_at] : '\0'; }

    Ref<Dictionary> fail(std::string& reason)
    {
        std::size_t line = 1;
        for (std::size_t i = 0; i < m_at && i < m_text.size(); ++i)
            line += m_text[i] == '\n';
        reason = format("%s on line %zu", m_error, line);
        return nullptr;
    }

    // White space and comments; false for an unterminated comment.
    bool skip()
    {
        while (m_at < m_text.size()) {
            char c = m_text[m_at];
            if (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v') {
                ++m_at;
            } else if (c == '/' && m_at + 1 < m_text.size() && m_text[m_at + 1] == '*') {
                std::size_t end = m_text.find("*/", m_at + 2);
                if (end == std::string_view::npos) {
                    m_error = "unterminated comment";
                    return false;
                }
                m_at = end + 2;
            } else if (c == '/' && m_at + 1 < m_text.size() && m_text[m_at + 1] == '/') {
                std::size_t end = m_text.find('\n', m_at + 2);
                m_at = end == std::string_view::npos ? m_text.size() : end + 1;
            } else if (m_text.substr(m_at, 3) == "\xEF\xBB\xBF") {
                m_at += 3; // a stray byte-order mark
            } else {
                break;
            }
        }
        return true;
    }

    static bool isBareCharacter(char c)
    {
        return isAsciiAlphanumeric(c) || std::string_view("_$+/:.-").find(c) != std::string_view::npos;
    }

    bool string(std::string& out)
    {
        char quote = peek();
        if (quote != '"' && quote != '\'') {
            std::size_t start = m_at;
            while (m_at < m_text.size() && isBareCharacter(m_text[m_at]))
                ++m_at;
            if (m_at == start) {
                m_error = m_at < m_text.size() ? "unexpected character" : "unexpected end";
                return false;
            }
            out.assign(m_text.substr(start, m_at - start));
            return true;
        }
        ++m_at;
        char32_t pendingHigh = 0; // a high surrogate waiting for its low half
        auto flushHigh = [&] {
            if (pendingHigh)
                appendUtf8(out, 0xFFFD);
            pendingHigh = 0;
        };
        while (m_at < m_text.size()) {
            char c = m_text[m_at++];
            if (c == quote) {
                flushHigh();
                return true;
            }
            if (c != '\\') {
                flushHigh();
                out += c;
                continue;
            }
            if (m_at >= m_text.size())
                break;
            char e = m_text[m_at++];
            if (e == 'U' || e == 'u') {
                char32_t code = 0;
                int digits = 0;
                while (digits < 4 && m_at < m_text.size() && hexDigitValue(m_text[m_at]) >= 0) {
                    code = code * 16 + static_cast<char32_t>(hexDigitValue(m_text[m_at++]));
                    ++digits;
                }
                if (digits == 0) {
                    m_error = "an escape without digits";
                    return false;
                }
                if (code >= 0xD800 && code <= 0xDBFF) {
                    flushHigh();
                    pendingHigh = code;
                } else if (code >= 0xDC00 && code <= 0xDFFF) {
                    if (pendingHigh)
                        appendUtf8(out, 0x10000 + ((pendingHigh - 0xD800) << 10) + (code - 0xDC00));
                    else
                        appendUtf8(out, 0xFFFD);
                    pendingHigh = 0;
                } else {
                    flushHigh();
                    appendUtf8(out, code);
                }
                continue;
            }
            flushHigh();
            if (e >= '0' && e <= '7') {
                char32_t code = static_cast<char32_t>(e - '0');
                for (int k = 0; k < 2 && m_at < m_text.size() && m_text[m_at] >= '0' && m_text[m_at] <= '7';
                     ++k)
                    code = code * 8 + static_cast<char32_t>(m_text[m_at++] - '0');
                appendUtf8(out, code);
                continue;
            }
            switch (e) {
            case 'a':
                out += '\a';
                break;
            case 'b':
                out += '\b';
                break;
            case 'f':
                out += '\f';
                break;
            case 'n':
                out += '\n';
                break;
            case 'r':
                out += '\r';
                break;
            case 't':
                out += '\t';
                break;
            case 'v':
                out += '\v';
                break;
            default:
                out += e; // \" \' \\ and any other character stand for themselves
            }
        }
        m_error = "unterminated text";
        return false;
    }

    std::string_view m_text;
    std::size_t m_at = 0;
    std::string m_error;
};

bool looksLikePropertyList(std::string_view text)
{
    std::string trimmed = trimWhitespaceAndNewlines(text.substr(0, 64));
    return hasPrefix(trimmed, "<?xml") || hasPrefix(trimmed, "<!DOCTYPE") || hasPrefix(trimmed, "<plist");
}

} // namespace

Bundle::Bundle(std::string path) : m_path(std::move(path))
{
}

Ref<Bundle> Bundle::main()
{
    std::lock_guard lock(globalMutex());
    Ref<Bundle>& bundle = mainBundle();
    if (!bundle)
        bundle = Factory<Bundle>::make(mainPath());
    return bundle;
}

void Bundle::setMainPath(const std::string& path)
{
    std::lock_guard lock(globalMutex());
    mainPath() = path;
    mainBundle().reset();
}

Ref<Bundle> Bundle::withPath(const std::string& path)
{
    bool isDirectory = false;
    if (!FileManager::fileExistsAtPath(path, &isDirectory) || !isDirectory)
        return nullptr;
    return Factory<Bundle>::make(path);
}

void Bundle::setPreferredLocalizations(std::vector<std::string> list)
{
    std::lock_guard lock(globalMutex());
    languages() = std::move(list);
}

std::vector<std::string> Bundle::preferredLocalizations()
{
    std::lock_guard lock(globalMutex());
    return languages();
}

std::string Bundle::description() const
{
    return format("NSBundle <%s>", m_path);
}

Ref<Dictionary> Bundle::infoDictionary(Ref<Error>* error) const
{
    std::lock_guard lock(m_mutex);
    if (!m_infoLoaded) {
        m_infoLoaded = true;
        std::string path = m_path + "/Info.plist";
        Ref<Error> failure;
        Id value = FileManager::fileExistsAtPath(path)
                       ? PropertyList::propertyListWithContentsOfFile(path, &failure)
                       : nullptr;
        m_info.entries = cast<Dictionary>(value);
        if (!m_info.entries) {
            if (!failure && value)
                failure = Error::withDescription(CocoaErrorDomain, PropertyListReadCorruptError,
                                                 "Info.plist does not hold a dictionary");
            if (failure)
                log("Could not read %s: %@", path, failure);
            else
                failure = FileManager::errorForErrno(ENOENT, path, false);
            m_info.entries = Dictionary::make();
            m_info.error = failure;
        }
    }
    setError(error, m_info.error);
    return m_info.entries;
}

Id Bundle::objectForInfoDictionaryKey(std::string_view key) const
{
    return infoDictionary()->objectForKey(key);
}

std::optional<std::string> Bundle::bundleIdentifier() const
{
    return infoDictionary()->stringForKey("CFBundleIdentifier");
}

std::optional<std::string> Bundle::pathForResource(std::string_view name, std::string_view type,
                                                   std::string_view subfolder) const
{
    if (name.empty())
        return std::nullopt;
    std::string file(name);
    if (!type.empty()) {
        if (type.front() != '.')
            file += '.';
        file += type;
    }
    std::string inner = subfolder.empty() ? file : std::string(subfolder) + "/" + file;
    std::vector<std::string> candidates{m_path + "/" + inner};
    for (const auto& language : preferredLocalizations())
        candidates.push_back(m_path + "/" + language + ".lproj/" + inner);
    for (const auto& candidate : candidates)
        if (FileManager::fileExistsAtPath(candidate))
            return candidate;
    return std::nullopt;
}

Ref<Dictionary> Bundle::stringsTable(std::string_view table, Ref<Error>* error) const
{
    std::string name = table.empty() ? std::string("Localizable") : std::string(table);
    {
        // A table read once is kept: the resource is not looked for again on every lookup.
        std::lock_guard lock(m_mutex);
        if (auto found = m_tables.find(name); found != m_tables.end()) {
            setError(error, found->second.error);
            return found->second.entries;
        }
    }
    std::optional<std::string> path = pathForResource(name, "strings");
    std::lock_guard lock(m_mutex);
    auto found = m_tables.find(name);
    if (found == m_tables.end()) {
        Table loaded;
        Ref<Error> failure;
        if (path) {
            if (auto data = FileManager::contentsAtPath(*path, &failure))
                loaded.entries = parseStringsTable(data->view(), &failure);
            if (!loaded.entries)
                log("Could not read %s: %@", *path, failure);
        } else {
            failure = FileManager::errorForErrno(ENOENT, m_path + "/" + name + ".strings", false);
        }
        if (!loaded.entries) {
            loaded.entries = Dictionary::make();
            loaded.error = failure;
        }
        found = m_tables.emplace(name, std::move(loaded)).first;
    }
    setError(error, found->second.error);
    return found->second.entries;
}

std::string Bundle::localizedString(std::string_view key, std::string_view value,
                                    std::string_view table) const
{
    if (auto text = stringsTable(table)->stringForKey(key))
        return *text;
    return std::string(value.empty() ? key : value);
}

Ref<Dictionary> Bundle::parseStringsTable(std::string_view bytes, Ref<Error>* error)
{
    if (bytes.substr(0, 6) == "bplist" || looksLikePropertyList(bytes)) {
        Ref<Error> failure;
        Id value = PropertyList::propertyListWithData(bytes, &failure);
        auto table = cast<Dictionary>(value);
        bool texts = table != nullptr;
        if (table)
            table->enumerateKeysAndObjects([&](const Id&, const Id& item, bool& stop) {
                if (!cast<String>(item)) {
                    texts = false;
                    stop = true;
                }
            });
        if (!texts) {
            setError(error, failure ? failure : stringsError("the property list is not a table of texts"));
            return nullptr;
        }
        return table;
    }
    std::string reason;
    std::optional<std::string> text = decodeText(bytes, reason);
    if (!text) {
        setError(error, stringsError(reason));
        return nullptr;
    }
    StringsParser parser(*text);
    Ref<Dictionary> table = parser.parse(reason);
    if (!table) {
        setError(error, stringsError(reason));
        return nullptr;
    }
    return cast<Dictionary>(table->copy());
}

} // namespace ns
