#pragma once

#include "foundation/Object.h"
#include "foundation/URL.h"

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace ns {

class Dictionary;

inline constexpr int64_t URLResponseUnknownLength = -1;

// What a server said about a resource before its body.
class URLResponse : public Object
{
public:
    URLResponse(Ref<ns::URL> url, std::string mimeType, int64_t expectedContentLength,
                std::string textEncodingName);

    const Ref<ns::URL>& URL() const { return m_url; }
    std::string URLString() const { return m_url ? m_url->absoluteString() : std::string(); }
    const std::string& MIMEType() const { return m_mimeType; }
    int64_t expectedContentLength() const { return m_expectedContentLength; }
    const std::string& textEncodingName() const { return m_textEncodingName; }

    std::string className() const override { return "NSURLResponse"; }

protected:
    Ref<ns::URL> m_url;
    std::string m_mimeType;
    int64_t m_expectedContentLength;
    std::string m_textEncodingName;
};

// An HTTP response head: status code and header fields. Fields that came more than once are joined with
// ", "; every lookup ignores the case of the name.
class HTTPURLResponse : public URLResponse
{
public:
    using HeaderFields = std::vector<std::pair<std::string, std::string>>;

    HTTPURLResponse(Ref<ns::URL> url, int statusCode, HeaderFields fields);

    int statusCode() const { return m_statusCode; }
    // A dictionary whose text keys are looked up without regard to case. Made when first asked for: most
    // readers want a field or two.
    Ref<Dictionary> allHeaderFields() const;
    std::optional<std::string> valueForHTTPHeaderField(std::string_view field) const;
    // Every field as received, repeated ones apart (Set-Cookie needs them so).
    const HeaderFields& rawHeaderFields() const { return m_rawFields; }

    static std::string localizedStringForStatusCode(int statusCode);

    std::string className() const override { return "NSHTTPURLResponse"; }
    std::string description() const override;

private:
    int m_statusCode;
    HeaderFields m_rawFields;
    mutable std::once_flag m_allHeaderFieldsMade;
    mutable Ref<Dictionary> m_allHeaderFields;
};

// Reads a response head line by line, as the transfer hands it over ("HTTP/1.1 200 OK", fields, then an
// empty line). Outside input: sizes are bounded and anything malformed is reported, never trusted.
class HTTPResponseHeadParser
{
public:
    enum class State { NeedMore, Complete, Failed };
    using HeaderFields = HTTPURLResponse::HeaderFields;

    static constexpr std::size_t MaximumHeadBytes = 256 * 1024;
    static constexpr std::size_t MaximumFieldCount = 1000;

    // One line, with or without its CR LF.
    State addLine(std::string_view line);
    // A whole head (lines separated by CR LF or LF), for tests and the fuzzer.
    State parse(std::string_view head);

    State state() const { return m_state; }
    int statusCode() const { return m_statusCode; }
    bool isInterim() const { return m_statusCode >= 100 && m_statusCode < 200; }
    const HeaderFields& fields() const { return m_fields; }
    void reset();

private:
    State fail();

    State m_state = State::NeedMore;
    bool m_haveStatus = false;
    int m_statusCode = 0;
    std::size_t m_bytes = 0;
    HeaderFields m_fields;
};

} // namespace ns
