#include "foundation/URLResponse.h"

#include "foundation/Ascii.h"
#include "foundation/Dictionary.h"
#include "foundation/Format.h"
#include "foundation/String.h"
#include "foundation/Text.h"

namespace ns {
namespace {

bool isTokenCharacter(unsigned char c)
{
    if (c <= 32 || c >= 127)
        return false;
    return std::string_view("()<>@,;:\\\"/[]?={}").find(static_cast<char>(c)) == std::string_view::npos;
}

// Header fields keyed by name without regard to case, in the order first received.
class HeaderDictionary : public Dictionary
{
public:
    explicit HeaderDictionary(std::vector<std::pair<std::string, std::string>> fields)
    {
        for (auto& [name, value] : fields) {
            bool merged = false;
            for (auto& entry : m_entries) {
                if (equalsIgnoringAsciiCase(entry.first, name)) {
                    entry.second += ", " + value;
                    merged = true;
                    break;
                }
            }
            if (!merged)
                m_entries.emplace_back(std::move(name), std::move(value));
        }
        for (auto& [name, value] : m_entries)
            m_objects.emplace_back(String::make(name), String::make(value));
    }

    std::size_t count() const override { return m_objects.size(); }

    Id objectForKey(const Id& key) const override
    {
        const std::string* name = stringValue(key);
        if (!name)
            return nullptr;
        for (std::size_t i = 0; i < m_entries.size(); ++i)
            if (equalsIgnoringAsciiCase(m_entries[i].first, *name))
                return m_objects[i].second;
        return nullptr;
    }

    void enumerateKeysAndObjects(const Visitor& visit) const override
    {
        bool stop = false;
        for (const auto& [key, value] : m_objects) {
            visit(key, value, stop);
            if (stop)
                return;
        }
    }

private:
    std::vector<std::pair<std::string, std::string>> m_entries;
    Entries m_objects;
};

std::optional<std::string> findField(const HTTPURLResponse::HeaderFields& fields, std::string_view name)
{
    std::optional<std::string> joined;
    for (const auto& [key, value] : fields) {
        if (!equalsIgnoringAsciiCase(key, name))
            continue;
        if (joined)
            *joined += ", " + value;
        else
            joined = value;
    }
    return joined;
}

} // namespace

URLResponse::URLResponse(Ref<ns::URL> url, std::string mimeType, int64_t expectedContentLength,
                         std::string textEncodingName)
    : m_url(std::move(url)), m_mimeType(std::move(mimeType)), m_expectedContentLength(expectedContentLength),
      m_textEncodingName(std::move(textEncodingName))
{
}

namespace {

struct ContentFacts
{
    std::string mimeType;
    std::string encoding;
    int64_t length = URLResponseUnknownLength;
};

ContentFacts contentFacts(const HTTPURLResponse::HeaderFields& fields)
{
    ContentFacts facts;
    if (auto type = findField(fields, "Content-Type")) {
        auto pieces = split(*type, ";");
        if (!pieces.empty())
            facts.mimeType = toLowerAscii(trimBlanks(pieces[0]));
        for (std::size_t i = 1; i < pieces.size(); ++i) {
            std::string_view piece = trimBlanks(pieces[i]);
            auto equals = piece.find('=');
            if (equals == std::string_view::npos ||
                !equalsIgnoringAsciiCase(trimBlanks(piece.substr(0, equals)), "charset"))
                continue;
            std::string_view value = trimBlanks(piece.substr(equals + 1));
            if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
                value = value.substr(1, value.size() - 2);
            facts.encoding = toLowerAscii(value);
        }
    }
    if (auto length = findField(fields, "Content-Length")) {
        std::string_view digits = trimBlanks(*length);
        int64_t value = 0;
        bool valid = !digits.empty() && digits.size() <= 18;
        for (char c : digits) {
            if (c < '0' || c > '9') {
                valid = false;
                break;
            }
            value = value * 10 + (c - '0');
        }
        if (valid)
            facts.length = value;
    }
    return facts;
}

} // namespace

HTTPURLResponse::HTTPURLResponse(Ref<ns::URL> url, int statusCode, HeaderFields fields)
    : URLResponse(std::move(url), {}, URLResponseUnknownLength, {}), m_statusCode(statusCode),
      m_rawFields(std::move(fields))
{
    ContentFacts facts = contentFacts(m_rawFields);
    m_mimeType = facts.mimeType;
    m_textEncodingName = facts.encoding;
    m_expectedContentLength = facts.length;
}

Ref<Dictionary> HTTPURLResponse::allHeaderFields() const
{
    std::call_once(m_allHeaderFieldsMade,
                   [this] { m_allHeaderFields = make<HeaderDictionary>(m_rawFields); });
    return m_allHeaderFields;
}

std::optional<std::string> HTTPURLResponse::valueForHTTPHeaderField(std::string_view field) const
{
    return findField(m_rawFields, field);
}

std::string HTTPURLResponse::localizedStringForStatusCode(int statusCode)
{
    switch (statusCode) {
    case 200:
        return "no error";
    case 201:
        return "created";
    case 204:
        return "no content";
    case 301:
        return "moved permanently";
    case 302:
        return "found";
    case 304:
        return "not modified";
    case 400:
        return "bad request";
    case 401:
        return "unauthorized";
    case 403:
        return "forbidden";
    case 404:
        return "not found";
    case 500:
        return "internal server error";
    case 503:
        return "service unavailable";
    default:
        break;
    }
    if (statusCode >= 100 && statusCode < 200)
        return "informational";
    if (statusCode >= 200 && statusCode < 300)
        return "success";
    if (statusCode >= 300 && statusCode < 400)
        return "redirected";
    if (statusCode >= 400 && statusCode < 500)
        return "client error";
    if (statusCode >= 500 && statusCode < 600)
        return "server error";
    return "unknown";
}

std::string HTTPURLResponse::description() const
{
    return format("<%s %s status %d>", className().c_str(), URLString().c_str(), m_statusCode);
}

// MARK: HTTPResponseHeadParser

void HTTPResponseHeadParser::reset()
{
    m_state = State::NeedMore;
    m_haveStatus = false;
    m_statusCode = 0;
    m_bytes = 0;
    m_fields.clear();
}

HTTPResponseHeadParser::State HTTPResponseHeadParser::fail()
{
    m_state = State::Failed;
    return m_state;
}

HTTPResponseHeadParser::State HTTPResponseHeadParser::addLine(std::string_view line)
{
    if (m_state != State::NeedMore)
        return m_state;
    m_bytes += line.size();
    if (m_bytes > MaximumHeadBytes)
        return fail();
    if (!line.empty() && line.back() == '\n')
        line.remove_suffix(1);
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    if (line.find('\0') != std::string_view::npos)
        return fail();

    if (!m_haveStatus) {
        // "HTTP/1.1 200 OK", "HTTP/2 404"
        if (line.substr(0, 5) != "HTTP/")
            return fail();
        auto space = line.find(' ');
        if (space == std::string_view::npos || space + 4 > line.size())
            return fail();
        std::string_view code = line.substr(space + 1, 3);
        int value = 0;
        for (char c : code) {
            if (c < '0' || c > '9')
                return fail();
            value = value * 10 + (c - '0');
        }
        if (space + 4 < line.size() && line[space + 4] != ' ')
            return fail();
        if (value < 100)
            return fail();
        m_statusCode = value;
        m_haveStatus = true;
        return m_state;
    }

    if (line.empty()) {
        m_state = State::Complete;
        return m_state;
    }
    if (line.front() == ' ' || line.front() == '\t') {
        // A folded line continues the previous field's value.
        if (m_fields.empty())
            return fail();
        std::string_view more = trimBlanks(line);
        if (!more.empty()) {
            std::string& value = m_fields.back().second;
            if (!value.empty())
                value.push_back(' ');
            value.append(more);
        }
        return m_state;
    }
    auto colon = line.find(':');
    if (colon == std::string_view::npos || colon == 0)
        return m_state; // not a field: skipped, as lenient clients do
    std::string_view name = line.substr(0, colon);
    for (char c : name)
        if (!isTokenCharacter(static_cast<unsigned char>(c)))
            return m_state;
    if (m_fields.size() >= MaximumFieldCount)
        return fail();
    m_fields.emplace_back(std::string(name), std::string(trimBlanks(line.substr(colon + 1))));
    return m_state;
}

HTTPResponseHeadParser::State HTTPResponseHeadParser::parse(std::string_view head)
{
    while (m_state == State::NeedMore && !head.empty()) {
        auto end = head.find('\n');
        std::string_view line = end == std::string_view::npos ? head : head.substr(0, end + 1);
        head.remove_prefix(line.size());
        addLine(line);
    }
    return m_state;
}

} // namespace ns
