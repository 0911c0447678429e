#pragma once

#include <cstdint>

// What the decoder's scanners of numbers and strings share: the token hash, hash * 33 + byte from its seed.
namespace jk_scan {

inline constexpr uint32_t HashSeed = 0x539C1505;

// hash * 33 + byte for each of the 8 bytes of a word, first byte first, written out so that the bytes'
// terms are summed side by side instead of one after another.
inline uint32_t hashEightBytes(uint32_t hash, uint64_t bits)
{
    constexpr uint32_t P1 = 33, P2 = P1 * 33, P3 = P2 * 33, P4 = P3 * 33, P5 = P4 * 33, P6 = P5 * 33,
                       P7 = P6 * 33, P8 = P7 * 33;
    auto byte = [bits](int i) { return static_cast<uint32_t>((bits >> (8 * i)) & 0xFF); };
    return hash * P8 + (byte(0) * P7 + byte(1) * P6) + (byte(2) * P5 + byte(3) * P4) +
           (byte(4) * P3 + byte(5) * P2) + (byte(6) * P1 + byte(7));
}

} // namespace jk_scan
