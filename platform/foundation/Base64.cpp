#include "foundation/Base64.h"

#include "foundation/Ascii.h"

#include <algorithm>

namespace ns {
namespace {

constexpr char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

} // namespace

void encodeBase64Group(const uint8_t* bytes, std::size_t count, char* out)
{
    uint32_t bits = static_cast<uint32_t>(bytes[0]) << 16;
    if (count > 1)
        bits |= static_cast<uint32_t>(bytes[1]) << 8;
    if (count > 2)
        bits |= bytes[2];
    out[0] = alphabet[bits >> 18 & 63];
    out[1] = alphabet[bits >> 12 & 63];
    out[2] = count > 1 ? alphabet[bits >> 6 & 63] : '=';
    out[3] = count > 2 ? alphabet[bits & 63] : '=';
}

std::string base64Encode(const uint8_t* bytes, std::size_t size)
{
    std::string out((size + 2) / 3 * 4, '=');
    for (std::size_t i = 0, at = 0; i < size; i += 3, at += 4)
        encodeBase64Group(bytes + i, std::min<std::size_t>(size - i, 3), out.data() + at);
    return out;
}

int base64Value(char c)
{
    if (isAsciiUpper(c))
        return c - 'A';
    if (isAsciiLower(c))
        return c - 'a' + 26;
    if (isAsciiDigit(c))
        return c - '0' + 52;
    if (c == '+')
        return 62;
    if (c == '/')
        return 63;
    return -1;
}

} // namespace ns
