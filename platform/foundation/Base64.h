#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Standard Base64 (the alphabet with "+" and "/", padded with "="), the pieces each encoder builds on:
// property lists, mail and the OAuth signature each lay the groups out their own way.
namespace ns {

// The four characters of one group of `count` bytes (1 to 3), padded with '=' to four, into `out`.
void encodeBase64Group(const uint8_t* bytes, std::size_t count, char* out);

// The whole of `bytes`, padded, on one line.
std::string base64Encode(const uint8_t* bytes, std::size_t size);
inline std::string base64Encode(std::string_view bytes)
{
    return base64Encode(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

// The six bits a character of the alphabet stands for; -1 for any other character, '=' included.
int base64Value(char c);

} // namespace ns
