#include "system/Digest.h"

#include "foundation/Ascii.h"
#include "foundation/Base64.h"
#include "foundation/CHandle.h"

#include <openssl/evp.h>
#include <openssl/hmac.h>
#include <openssl/rand.h>

#include <algorithm>
#include <climits>
#include <memory>

namespace cc {
namespace {

Bytes digest(const EVP_MD* type, std::string_view data)
{
    ns::CHandle<EVP_MD_CTX, EVP_MD_CTX_free> context(EVP_MD_CTX_new());
    Bytes out(EVP_MAX_MD_SIZE);
    unsigned int length = 0;
    if (!context || EVP_DigestInit_ex(context.get(), type, nullptr) != 1 ||
        EVP_DigestUpdate(context.get(), data.data(), data.size()) != 1 ||
        EVP_DigestFinal_ex(context.get(), out.data(), &length) != 1)
        return {};
    out.resize(length);
    return out;
}

} // namespace

Bytes md5(std::string_view data)
{
    return digest(EVP_md5(), data);
}

Bytes sha1(std::string_view data)
{
    return digest(EVP_sha1(), data);
}

Bytes hmacSHA1(std::string_view key, std::string_view data)
{
    if (key.size() > static_cast<std::size_t>(INT_MAX))
        return {};
    Bytes out(EVP_MAX_MD_SIZE);
    unsigned int length = 0;
    // An empty key is legal; OpenSSL wants a non-null pointer for it.
    static const unsigned char empty = 0;
    const void* keyBytes = key.empty() ? static_cast<const void*>(&empty) : key.data();
    if (!HMAC(EVP_sha1(), keyBytes, static_cast<int>(key.size()),
              reinterpret_cast<const unsigned char*>(data.data()), data.size(), out.data(), &length))
        return {};
    out.resize(length);
    return out;
}

std::string hex(const Bytes& bytes)
{
    std::string out;
    out.reserve(bytes.size() * 2);
    for (uint8_t byte : bytes) {
        out.push_back(ns::lowerHexDigits[byte >> 4]);
        out.push_back(ns::lowerHexDigits[byte & 15]);
    }
    return out;
}

std::string base64Encode(std::string_view data)
{
    return ns::base64Encode(data);
}

std::optional<Bytes> base64Decode(std::string_view text)
{
    Bytes out;
    out.reserve(text.size() / 4 * 3);
    uint32_t group = 0;
    int inGroup = 0;
    int padding = 0;
    for (unsigned char c : text) {
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n')
            continue;
        if (c == '=') {
            // Padding only completes a group of two or three characters.
            if (inGroup < 2 || inGroup + padding >= 4)
                return std::nullopt;
            ++padding;
            continue;
        }
        int value = ns::base64Value(static_cast<char>(c));
        if (value < 0 || padding > 0)
            return std::nullopt;
        group = group << 6 | static_cast<uint32_t>(value);
        if (++inGroup == 4) {
            out.push_back(static_cast<uint8_t>(group >> 16));
            out.push_back(static_cast<uint8_t>(group >> 8));
            out.push_back(static_cast<uint8_t>(group));
            group = 0;
            inGroup = 0;
        }
    }
    if (padding > 0 && inGroup + padding != 4)
        return std::nullopt;
    if (inGroup == 1)
        return std::nullopt;
    if (inGroup == 2) {
        out.push_back(static_cast<uint8_t>(group >> 4));
    } else if (inGroup == 3) {
        out.push_back(static_cast<uint8_t>(group >> 10));
        out.push_back(static_cast<uint8_t>(group >> 2));
    }
    return out;
}

bool randomBytes(uint8_t* out, std::size_t count)
{
    while (count > 0) {
        int chunk = static_cast<int>(std::min<std::size_t>(count, 1 << 20));
        if (RAND_bytes(out, chunk) != 1)
            return false;
        out += chunk;
        count -= static_cast<std::size_t>(chunk);
    }
    return true;
}

} // namespace cc
