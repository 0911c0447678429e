#include "sharing/oauth/OABase64.h"

#include "foundation/Base64.h"

#include <algorithm>

namespace {

constexpr std::size_t groupsPerLine = 18;

} // namespace

std::size_t OABase64EncodedLength(std::size_t length)
{
    std::size_t groups = length / 3 + (length % 3 ? 1 : 0);
    return groups / groupsPerLine * (groupsPerLine * 4 + 2) + groups % groupsPerLine * 4;
}

bool OAEncodeBase64(const uint8_t* input, std::size_t length, char* output, std::size_t* outputLength)
{
    if (!outputLength)
        return false;
    std::size_t needed = OABase64EncodedLength(length);
    if (*outputLength < needed || (needed && (!input || !output)))
        return false;
    *outputLength = needed;
    std::size_t out = 0;
    std::size_t groups = 0;
    for (std::size_t i = 0; i < length; i += 3) {
        ns::encodeBase64Group(input + i, std::min<std::size_t>(length - i, 3), output + out);
        out += 4;
        if (++groups % groupsPerLine == 0) {
            output[out++] = '\r';
            output[out++] = '\n';
        }
    }
    return true;
}
