#include "foundation/Escaping.h"

#include "foundation/Ascii.h"
#include "foundation/Text.h"

namespace ns {
namespace {

bool isUnreservedOrReserved(unsigned char c)
{
    return isAsciiAlphanumeric(static_cast<char>(c)) ||
           std::string_view("-_.!~*'();/?:@&=+$,").find(static_cast<char>(c)) != std::string_view::npos;
}

} // namespace

std::string addingPercentEscapes(std::string_view text, std::string_view charactersToLeaveUnescaped,
                                 std::string_view legalURLCharactersToBeEscaped)
{
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        auto byte = static_cast<unsigned char>(c);
        // Only ASCII can be left alone; the bytes of other characters are always escaped.
        bool keep = byte < 0x80 && (isUnreservedOrReserved(byte) ||
                                    charactersToLeaveUnescaped.find(c) != std::string_view::npos);
        if (keep && legalURLCharactersToBeEscaped.find(c) != std::string_view::npos)
            keep = false;
        if (keep) {
            out += c;
        } else {
            out += '%';
            out += upperHexDigits[byte >> 4];
            out += upperHexDigits[byte & 0x0F];
        }
    }
    return out;
}

bool hasValidPercentEscapes(std::string_view text)
{
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%')
            continue;
        if (text.size() - i < 3)
            return false;
        if (hexDigitValue(text[i + 1]) < 0 || hexDigitValue(text[i + 2]) < 0)
            return false;
        i += 2;
    }
    return true;
}

std::optional<std::string> replacingPercentEscapes(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out += text[i];
            continue;
        }
        if (text.size() - i < 3)
            return std::nullopt;
        int high = hexDigitValue(text[i + 1]);
        int low = hexDigitValue(text[i + 2]);
        if (high < 0 || low < 0)
            return std::nullopt;
        out += static_cast<char>(high * 16 + low);
        i += 2;
    }
    if (!isValidUtf8(out))
        return std::nullopt;
    return out;
}

void appendXMLEscaped(std::string& out, std::string_view text, bool quotes)
{
    for (char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += quotes ? "&quot;" : "\"";
            break;
        default:
            out += c;
        }
    }
}

} // namespace ns
