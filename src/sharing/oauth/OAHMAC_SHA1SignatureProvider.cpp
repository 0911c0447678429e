#include "sharing/oauth/OAHMAC_SHA1SignatureProvider.h"

#include "sharing/oauth/OABase64.h"
#include "system/Digest.h"

std::string OAHMAC_SHA1SignatureProvider::signClearText(const std::string& text,
                                                        const std::string& secret) const
{
    cc::Bytes digest = cc::hmacSHA1(secret, text);
    char buffer[32];
    std::size_t length = sizeof buffer;
    if (!OAEncodeBase64(digest.data(), digest.size(), buffer, &length))
        return {};
    return std::string(buffer, length);
}
