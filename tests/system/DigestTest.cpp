#include "system/Digest.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string repeat(std::string_view piece, std::size_t times)
{
    std::string out;
    for (std::size_t i = 0; i < times; ++i)
        out.append(piece);
    return out;
}

std::string fromHex(std::string_view hex)
{
    std::string out;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        out.push_back(static_cast<char>(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16)));
    return out;
}

TEST(Digest, MD5MatchesTheStandardVectors)
{
    struct Row
    {
        std::string input;
        const char* digest;
    } rows[] = {
        {"", "d41d8cd98f00b204e9800998ecf8427e"},
        {"a", "0cc175b9c0f1b6a831c399e269772661"},
        {"abc", "900150983cd24fb0d6963f7d28e17f72"},
        {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
        {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
         "d174ab98d277d9f5a5611c2c9f419d9f"},
        {repeat("1234567890", 8), "57edf4a22be3c955ac49da2e2107b67a"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.input);
        EXPECT_EQ(cc::hex(cc::md5(row.input)), row.digest);
    }
}

TEST(Digest, SHA1MatchesTheStandardVectors)
{
    EXPECT_EQ(cc::hex(cc::sha1("abc")), "a9993e364706816aba3e25717850c26c9cd0d89d");
    EXPECT_EQ(cc::hex(cc::sha1("")), "da39a3ee5e6b4b0d3255bfef95601890afd80709");
    EXPECT_EQ(cc::hex(cc::sha1("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq")),
              "84983e441c3bd26ebaae4aa1f95129e5e54670f1");
}

TEST(Digest, HMACSHA1MatchesTheStandardVectors)
{
    struct Row
    {
        const char* name;
        std::string key;
        std::string data;
        const char* digest;
    } rows[] = {
        {"1", std::string(20, '\x0b'), "Hi There", "b617318655057264e28bc0b6fb378c8ef146be00"},
        {"2", "Jefe", "what do ya want for nothing?", "effcdf6ae5eb2fa2d27416d5f184df9c259a7c79"},
        {"3", std::string(20, '\xaa'), std::string(50, '\xdd'), "125d7342b9ac11cd91a39af48aa17b4f63f175d3"},
        {"4", fromHex("0102030405060708090a0b0c0d0e0f10111213141516171819"), std::string(50, '\xcd'),
         "4c9007f4026250c6bc8414f9bf50c86c2d7235da"},
        {"5", std::string(20, '\x0c'), "Test With Truncation", "4c1a03424b55e07fe7f27be1d58bb9324a9a5a04"},
        {"6", std::string(80, '\xaa'), "Test Using Larger Than Block-Size Key - Hash Key First",
         "aa4ae5e15272d00e95705637ce8a3b55ed402112"},
        {"7", std::string(80, '\xaa'),
         "Test Using Larger Than Block-Size Key and Larger Than One Block-Size Data",
         "e8e99d0f45237d786d6bbaa7965c7808bbff1a91"},
        {"empty key", "", "", "fbdb1d1b18aa6c08324b7d64b71fb76370690e1d"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(cc::hex(cc::hmacSHA1(row.key, row.data)), row.digest);
    }
}

TEST(Digest, Base64MatchesTheStandardVectors)
{
    struct Row
    {
        const char* plain;
        const char* encoded;
    } rows[] = {
        {"", ""},
        {"f", "Zg=="},
        {"fo", "Zm8="},
        {"foo", "Zm9v"},
        {"foob", "Zm9vYg=="},
        {"fooba", "Zm9vYmE="},
        {"foobar", "Zm9vYmFy"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.plain);
        EXPECT_EQ(cc::base64Encode(std::string_view(row.plain)), row.encoded);
        auto decoded = cc::base64Decode(row.encoded);
        ASSERT_TRUE(decoded);
        EXPECT_EQ(std::string(decoded->begin(), decoded->end()), row.plain);
    }
}

TEST(Digest, Base64LengthsOfSignatureSizedInputs)
{
    EXPECT_EQ(cc::base64Encode(std::string(54, 'x')).size(), 72u);
    EXPECT_EQ(cc::base64Encode(std::string(55, 'x')).size(), 76u);
    EXPECT_EQ(cc::base64Encode(cc::hmacSHA1("k", "d")).size(), 28u);
}

TEST(Digest, Base64RefusesWhatIsNotBase64)
{
    const char* bad[] = {"Zg=", "Z", "Zm9v!", "Zg==Zg==", "=Zg=", "Zm9vY===", "Zm9=v"};
    for (const char* text : bad) {
        SCOPED_TRACE(text);
        EXPECT_FALSE(cc::base64Decode(text));
    }
    auto spaced = cc::base64Decode("Zm9v\r\nYmFy");
    ASSERT_TRUE(spaced);
    EXPECT_EQ(std::string(spaced->begin(), spaced->end()), "foobar");
    std::string binary;
    for (int i = 0; i < 256; ++i)
        binary.push_back(static_cast<char>(i));
    auto roundTrip = cc::base64Decode(cc::base64Encode(binary));
    ASSERT_TRUE(roundTrip);
    EXPECT_EQ(std::string(roundTrip->begin(), roundTrip->end()), binary);
}

TEST(Digest, RandomBytesDiffer)
{
    uint8_t a[32] = {}, b[32] = {};
    ASSERT_TRUE(cc::randomBytes(a, sizeof a));
    ASSERT_TRUE(cc::randomBytes(b, sizeof b));
    EXPECT_NE(std::string(a, a + 32), std::string(b, b + 32));
}

} // namespace
