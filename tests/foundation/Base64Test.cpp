#include "foundation/Base64.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(Base64, OneGroupIsPaddedToFourCharacters)
{
    const uint8_t bytes[] = {0x14, 0xfb, 0x9c};
    struct Row
    {
        std::size_t count;
        const char* group;
    } rows[] = {{1, "FA=="}, {2, "FPs="}, {3, "FPuc"}};
    for (const auto& row : rows) {
        char out[4] = {};
        ns::encodeBase64Group(bytes, row.count, out);
        EXPECT_EQ(std::string(out, 4), row.group) << row.count;
    }
}

TEST(Base64, EveryCharacterOfTheAlphabetReadsBackAndNoOtherDoes)
{
    std::string all;
    for (int value = 0; value < 256; ++value)
        all.push_back(static_cast<char>(value));
    // Each three bytes hold four successive six-bit values: encoded, they spell the alphabet in order.
    std::string sixBits;
    for (int value = 0; value < 64; value += 4) {
        uint32_t bits = static_cast<uint32_t>(value) << 18 | static_cast<uint32_t>(value + 1) << 12 |
                        static_cast<uint32_t>(value + 2) << 6 | static_cast<uint32_t>(value + 3);
        sixBits.push_back(static_cast<char>(bits >> 16));
        sixBits.push_back(static_cast<char>(bits >> 8));
        sixBits.push_back(static_cast<char>(bits));
    }
    std::string alphabet = ns::base64Encode(sixBits);
    ASSERT_EQ(alphabet, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/");
    for (char c : all) {
        auto at = alphabet.find(c);
        EXPECT_EQ(ns::base64Value(c), at == std::string::npos ? -1 : static_cast<int>(at))
            << static_cast<int>(static_cast<unsigned char>(c));
    }
}

} // namespace
