#pragma once

#include <cstddef>
#include <cstdint>

// The encoded size of `length` bytes: four characters a group of three, CR LF after every 72 characters.
std::size_t OABase64EncodedLength(std::size_t length);

// Standard Base64 of `input` into `output`, a line break (CR LF) after every 72 characters, no terminating
// zero. `outputLength` gives the buffer's size and receives the size written; false, and nothing written,
// when the buffer is too small.
bool OAEncodeBase64(const uint8_t* input, std::size_t length, char* output, std::size_t* outputLength);
