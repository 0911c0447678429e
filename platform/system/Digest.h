#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Message digests, keyed hashes, Base64 and random bytes over OpenSSL.
namespace cc {

using Bytes = std::vector<uint8_t>;

inline constexpr std::size_t MD5DigestLength = 16;
inline constexpr std::size_t SHA1DigestLength = 20;

Bytes md5(std::string_view data);
Bytes sha1(std::string_view data);
Bytes hmacSHA1(std::string_view key, std::string_view data);

// Lower-case hexadecimal, two digits a byte.
std::string hex(const Bytes& bytes);

// Standard alphabet with "=" padding, no line breaks.
std::string base64Encode(std::string_view data);
inline std::string base64Encode(const Bytes& data)
{
    return base64Encode(std::string_view(reinterpret_cast<const char*>(data.data()), data.size()));
}
// Nothing for text that is not Base64 (wrong characters, bad padding or length); white space is skipped.
std::optional<Bytes> base64Decode(std::string_view text);

// Cryptographically strong bytes; false when the generator failed (the buffer is then unusable).
bool randomBytes(uint8_t* out, std::size_t count);

} // namespace cc
