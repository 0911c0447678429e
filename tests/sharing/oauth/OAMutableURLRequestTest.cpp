#include "SigningCases.h"

#include "sharing/oauth/OABase64.h"
#include "sharing/oauth/OAHMAC_SHA1SignatureProvider.h"
#include "sharing/oauth/OAMutableURLRequest.h"
#include "sharing/oauth/OAParameterAdditions.h"
#include "sharing/oauth/OAPlaintextSignatureProvider.h"
#include "sharing/oauth/OAToken.h"
#include "sharing/oauth/OAURLEncoding.h"

#include "foundation/Clock.h"
#include "foundation/Random.h"
#include "foundation/URLConnection.h"
#include "foundation/UserDefaults.h"
#include "testing/TemporaryHome.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

ns::Ref<OAMutableURLRequest> photosRequest(ns::Ref<OAToken> token)
{
    return std::make_shared<OAMutableURLRequest>(
        ns::URL::withString("http://photos.example.net/photos?file=vacation.jpg&size=original"),
        std::make_shared<OAConsumer>("dpf43f3p2l4k3l03", "kd94hf93k423kf44"), std::move(token), std::nullopt,
        nullptr, "kllo9940pd9333jh", "1191242096");
}

ns::Ref<OAMutableURLRequest> request(const std::string& url, ns::Ref<OAToken> token = nullptr)
{
    return std::make_shared<OAMutableURLRequest>(ns::URL::withString(url),
                                                 std::make_shared<OAConsumer>("ck", "cs"), std::move(token),
                                                 std::nullopt, nullptr, "N", "1");
}

} // namespace

TEST(OAMutableURLRequest, SignsTheWorkedExample)
{
    auto req = photosRequest(std::make_shared<OAToken>("nnch734d00sl2jdk", "pfkkdhi9sl3r4s00"));
    EXPECT_EQ(req->signatureBaseString(),
              "GET&http%3A%2F%2Fphotos.example.net%2Fphotos&file%3Dvacation.jpg%26oauth_consumer_key%"
              "3Ddpf43f3p2l4k3l"
              "03%26oauth_nonce%3Dkllo9940pd9333jh%26oauth_signature_method%3DHMAC-SHA1%26oauth_timestamp%"
              "3D11912420"
              "96%26oauth_token%3Dnnch734d00sl2jdk%26oauth_version%3D1.0%26size%3Doriginal");
    EXPECT_EQ(req->signingSecret(), "kd94hf93k423kf44&pfkkdhi9sl3r4s00");
    req->prepare();
    EXPECT_EQ(req->signature(), "tR3+Ty81lMeYAr/Fid0kMTYa/WM=");
    EXPECT_EQ(
        req->valueForHTTPHeaderField("Authorization"),
        "OAuth realm=\"\", oauth_consumer_key=\"dpf43f3p2l4k3l03\", oauth_token=\"nnch734d00sl2jdk\", "
        "oauth_signature_method=\"HMAC-SHA1\", oauth_signature=\"tR3%2BTy81lMeYAr%2FFid0kMTYa%2FWM%3D\", "
        "oauth_timestamp=\"1191242096\", oauth_nonce=\"kllo9940pd9333jh\", oauth_version=\"1.0\"");
}

TEST(OAMutableURLRequest, PreparesOnce)
{
    auto req = photosRequest(std::make_shared<OAToken>("nnch734d00sl2jdk", "pfkkdhi9sl3r4s00"));
    req->prepare();
    std::string header = *req->valueForHTTPHeaderField("Authorization");
    OAParameterAdditions::setParameters(*req, {OARequestParameter::requestParameterWithName("x", "y")});
    req->prepare();
    EXPECT_TRUE(req->didPrepare());
    EXPECT_EQ(req->signature(), "tR3+Ty81lMeYAr/Fid0kMTYa/WM=");
    EXPECT_EQ(req->valueForHTTPHeaderField("Authorization"), header);
    EXPECT_EQ(req->headerFields().size(), 1u);
}

TEST(OAMutableURLRequest, EmptyTokenLeavesTheTokenOut)
{
    struct Row
    {
        const char* name;
        ns::Ref<OAToken> token;
    };
    Row rows[] = {{"no token", nullptr},
                  {"empty token", std::make_shared<OAToken>()},
                  {"token without key", OAToken::withHTTPResponseBody("other=1")}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        auto req = request("http://example.com/a", row.token);
        req->prepare();
        EXPECT_EQ(req->signatureBaseString().find("oauth_token"), std::string::npos);
        EXPECT_EQ(req->signingSecret(), "cs&");
        std::string header = *req->valueForHTTPHeaderField("Authorization");
        EXPECT_EQ(header.find("oauth_token"), std::string::npos);
        EXPECT_EQ(header.rfind("OAuth realm=\"\", oauth_consumer_key=\"ck\", oauth_signature_method=", 0),
                  0u);
    }
}

TEST(OAMutableURLRequest, MakesNonceAndTimestampFromTheInjectedSources)
{
    ns::ManualClockScope clock(1191242096.75);
    ns::RandomScope random(7);
    auto first = std::make_shared<OAMutableURLRequest>(ns::URL::withString("http://example.com/"), nullptr,
                                                       nullptr, std::nullopt, nullptr);
    EXPECT_EQ(first->timestamp(), "1191242096");
    EXPECT_EQ(first->nonce().size(), 36u);
    EXPECT_EQ(first->nonce().find_first_of("abcdef"), std::string::npos);
    EXPECT_EQ(first->realm(), "");
    EXPECT_EQ(first->signatureProvider()->name(), "HMAC-SHA1");
    EXPECT_EQ(first->cachePolicy(), ns::URLRequestCachePolicy::ReloadIgnoringLocalCacheData);
    EXPECT_EQ(first->timeoutInterval(), 10);
    auto second = std::make_shared<OAMutableURLRequest>(ns::URL::withString("http://example.com/"), nullptr,
                                                        nullptr, std::nullopt, nullptr);
    EXPECT_NE(first->nonce(), second->nonce());
}

TEST(OAMutableURLRequest, SendsExtraParametersInNameOrder)
{
    auto req = request("http://example.com/a");
    req->setOAuthParameterName("oauth_verifier", "v 1");
    req->setOAuthParameterName("oauth_callback", "oob");
    req->setOAuthParameterName("x y,z", "v&w");
    req->prepare();
    std::string header = *req->valueForHTTPHeaderField("Authorization");
    // Names are escaped as values are, so that a blank, comma or quote cannot break the header.
    EXPECT_NE(header.find("oauth_version=\"1.0\", oauth_callback=\"oob\", oauth_verifier=\"v%201\", "
                          "x%20y%2Cz=\"v%26w\""),
              std::string::npos);
    EXPECT_NE(req->signatureBaseString().find("oauth_callback%3Doob%26"), std::string::npos);
}

// The cases where a server's reading of the request decides: the query of every method, a form body only,
// "+" as a space, order by name then value, the normalised address.
TEST(OAMutableURLRequest, SignsWhatTheServerReads)
{
    struct Row
    {
        const char* name;
        const char* method;
        const char* url;
        const char* contentType;
        const char* body;
        const char* base;
    };
    Row rows[] = {
        {"query of a POST", "POST", "http://example.com/p?q=1", nullptr, nullptr,
         "POST&http%3A%2F%2Fexample.com%2Fp&oauth_consumer_key%3Dck%26oauth_nonce%3DN%26oauth_signature_"
         "method%3D"
         "HMAC-SHA1%26oauth_timestamp%3D1%26oauth_version%3D1.0%26q%3D1"},
        {"json body", "POST", "http://example.com/p", "application/json", "a=1",
         "POST&http%3A%2F%2Fexample.com%2Fp&oauth_consumer_key%3Dck%26oauth_nonce%3DN%26oauth_signature_"
         "method%3D"
         "HMAC-SHA1%26oauth_timestamp%3D1%26oauth_version%3D1.0"},
        {"multipart with query", "POST", "http://example.com/p?q=1", "multipart/form-data; boundary=x", "a=1",
         "POST&http%3A%2F%2Fexample.com%2Fp&oauth_consumer_key%3Dck%26oauth_nonce%3DN%26oauth_signature_"
         "method%3D"
         "HMAC-SHA1%26oauth_timestamp%3D1%26oauth_version%3D1.0%26q%3D1"},
        {"raw non-ascii in a form body", "POST", "http://example.com/p", "application/x-www-form-urlencoded",
         "a=caf\xC3\xA9",
         "POST&http%3A%2F%2Fexample.com%2Fp&oauth_consumer_key%3Dck%26oauth_nonce%3DN%26oauth_signature_"
         "method%3DHMAC-SHA1%26oauth_timestamp%3D1%26oauth_version%3D1.0"},
        {"blank in a body without a type", "PUT", "http://example.com/p", nullptr, "a=b c",
         "PUT&http%3A%2F%2Fexample.com%2Fp&oauth_consumer_key%3Dck%26oauth_nonce%3DN%26oauth_signature_"
         "method%3DHMAC-SHA1%26oauth_timestamp%3D1%26oauth_version%3D1.0"},
        {"malformed escape in a form body", "POST", "http://example.com/p",
         "application/x-www-form-urlencoded", "a=%zz",
         "POST&http%3A%2F%2Fexample.com%2Fp&oauth_consumer_key%3Dck%26oauth_nonce%3DN%26oauth_signature_"
         "method%3DHMAC-SHA1%26oauth_timestamp%3D1%26oauth_version%3D1.0"},
        {"every form mark", "POST", "http://example.com/p", "application/x-www-form-urlencoded",
         "a=-._~;:,*@!()/?'$%41",
         "POST&http%3A%2F%2Fexample.com%2Fp&a%3D-._~%253B%253A%252C%252A%2540%2521%2528%2529%252F%253F%2527%"
         "2524A%26oauth_consumer_key%3Dck%26oauth_nonce%3DN%26oauth_signature_method%3DHMAC-SHA1%26oauth_"
         "timestamp%3D1%26oauth_version%3D1.0"},
        {"plus is a space", "POST", "http://example.com/p?q=a+b", "application/x-www-form-urlencoded",
         "r=c+d",
         "POST&http%3A%2F%2Fexample.com%2Fp&oauth_consumer_key%3Dck%26oauth_nonce%3DN%26oauth_signature_"
         "method%3D"
         "HMAC-SHA1%26oauth_timestamp%3D1%26oauth_version%3D1.0%26q%3Da%2520b%26r%3Dc%2520d"},
        {"name then value", "GET", "http://example.com/p?a1=y&a=2&a-b=x&a=1", nullptr, nullptr,
         "GET&http%3A%2F%2Fexample.com%2Fp&a%3D1%26a%3D2%26a-b%3Dx%26a1%3Dy%26oauth_consumer_key%3Dck%"
         "26oauth_nonce"
         "%3DN%26oauth_signature_method%3DHMAC-SHA1%26oauth_timestamp%3D1%26oauth_version%3D1.0"},
        {"normalised address", "GET", "HTTP://Example.COM:80?x=1#top", nullptr, nullptr,
         "GET&http%3A%2F%2Fexample.com%2F&oauth_consumer_key%3Dck%26oauth_nonce%3DN%26oauth_signature_method%"
         "3D"
         "HMAC-SHA1%26oauth_timestamp%3D1%26oauth_version%3D1.0%26x%3D1"},
        {"other port kept", "GET", "https://example.com:8443/a/b", nullptr, nullptr,
         "GET&https%3A%2F%2Fexample.com%3A8443%2Fa%2Fb&oauth_consumer_key%3Dck%26oauth_nonce%3DN%26oauth_"
         "signature_"
         "method%3DHMAC-SHA1%26oauth_timestamp%3D1%26oauth_version%3D1.0"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        auto req = request(row.url);
        req->setHTTPMethod(row.method);
        if (row.contentType)
            req->setValue(std::string(row.contentType), "Content-Type");
        if (row.body)
            req->setHTTPBody(ns::Data::withString(row.body));
        EXPECT_EQ(req->signatureBaseString(), row.base);
    }
}

// Every case of the oauthlib cross-check, with the base string and signature it agreed on, so that each
// rule stands here whether or not the oracle can run.
TEST(OAMutableURLRequest, SignsEachCaseAsAnRFC5849ServerVerifiesIt)
{
    for (const auto& row : oauth_test::signingCases()) {
        SCOPED_TRACE(row.name);
        auto req = oauth_test::signedRequest(row);
        EXPECT_EQ(req->signatureBaseString(), row.base);
        EXPECT_EQ(req->signature(), row.signature);
    }
}

// An address the platform refuses leaves the request without a URL: nothing is signed and nothing sent.
TEST(OAMutableURLRequest, RefusesToSignWithoutAnAddress)
{
    auto req = request("http://example.com/a%zz");
    ASSERT_FALSE(req->URL());
    ns::Ref<ns::Error> error;
    EXPECT_FALSE(req->prepare(&error));
    ASSERT_TRUE(error);
    EXPECT_EQ(error->domain(), ns::URLErrorDomain);
    EXPECT_EQ(error->code(), ns::URLErrorBadURL);
    EXPECT_FALSE(req->didPrepare());
    EXPECT_EQ(req->signature(), "");
    EXPECT_FALSE(req->valueForHTTPHeaderField("Authorization"));

    // Given an address, it signs as any other.
    req->setURL(ns::URL::withString("http://example.com/a"));
    EXPECT_TRUE(req->prepare(&error));
    EXPECT_TRUE(req->didPrepare());
    EXPECT_TRUE(req->valueForHTTPHeaderField("Authorization"));
    EXPECT_TRUE(req->prepare());
}

TEST(OAParameterAdditions, ReadsAndWritesQueryAndBody)
{
    auto post = request("http://example.com/p?q=1");
    post->setHTTPMethod("POST");
    EXPECT_FALSE(OAParameterAdditions::parameters(*post));
    OAParameterAdditions::setParameters(*post, {OARequestParameter::requestParameterWithName("a", "1"),
                                                OARequestParameter::requestParameterWithName("b", "2")});
    EXPECT_EQ(post->HTTPBody()->view(), "a=1&b=2");
    EXPECT_EQ(post->valueForHTTPHeaderField("Content-Length"), "7");
    EXPECT_EQ(post->valueForHTTPHeaderField("Content-Type"), "application/x-www-form-urlencoded");
    EXPECT_EQ(post->URLString(), "http://example.com/p?q=1");

    auto get = request("http://example.com/p?old=1");
    OAParameterAdditions::setParameters(*get,
                                        {OARequestParameter::requestParameterWithName("k y", "\xC3\xA9&")});
    EXPECT_EQ(get->URLString(), "http://example.com/p?k%20y=%C3%A9%26");
    auto read = OAParameterAdditions::parameters(*get);
    ASSERT_TRUE(read);
    ASSERT_EQ(read->size(), 1u);
    EXPECT_EQ((*read)[0]->name(), "k y");
    EXPECT_EQ((*read)[0]->value(), "\xC3\xA9&");

    auto bare = request("http://example.com/p?flag&x=");
    read = OAParameterAdditions::parameters(*bare);
    ASSERT_TRUE(read);
    ASSERT_EQ(read->size(), 2u);
    EXPECT_EQ((*read)[0]->name(), "flag");
    EXPECT_EQ((*read)[0]->value(), "");
}

TEST(OAURLEncoding, EscapesAllButTheUnreserved)
{
    EXPECT_EQ(OAURLEncoding::URLEncodedString("Az09-_.~ !*'()/?&=+%\xC3\xA9"),
              "Az09-_.~%20%21%2A%27%28%29%2F%3F%26%3D%2B%25%C3%A9");
    EXPECT_EQ(OAURLEncoding::URLDecodedString("%C3%A9%2B+"), "\xC3\xA9++");
    EXPECT_EQ(OAURLEncoding::URLDecodedString("100%"), "100%");
    EXPECT_EQ(OAURLEncoding::URLStringWithoutQuery(*ns::URL::withString("http://a.b/c?d=1?e")),
              "http://a.b/c");
}

TEST(OAToken, ReadsAReply)
{
    auto token = OAToken::withHTTPResponseBody("oauth_token=ab%2Fc&oauth_token_secret=s%3D&other=x&"
                                               "oauth_session_handle=h");
    EXPECT_EQ(token->key(), "ab/c");
    EXPECT_EQ(token->secret(), "s=");
    EXPECT_EQ(token->sessionHandle(), "h");

    auto nothing = OAToken::withHTTPResponseBody("error=denied");
    EXPECT_FALSE(nothing->key());
    EXPECT_FALSE(nothing->secret());
    EXPECT_FALSE(nothing->sessionHandle());

    auto plain = OAToken();
    EXPECT_EQ(plain.key(), "");
    EXPECT_EQ(plain.sessionHandle(), "");
    EXPECT_FALSE(OAToken("k", "s").sessionHandle());
}

TEST(OAToken, KeepsItsKeyAndSecretInTheUserDefaults)
{
    testkit::TemporaryHome home;
    EXPECT_FALSE(OAToken::withUserDefaultsUsingServiceProviderName("Service", "APP"));

    OAToken token("k/1", "s 2");
    token.setSessionHandle(std::string("h"));
    EXPECT_EQ(token.storeInUserDefaultsWithServiceProviderName("Service", "APP"), 0);
    // On disk under the prefix and then the provider name, as a new launch reads it.
    ns::UserDefaults::resetStandard();
    auto defaults = ns::UserDefaults::standard();
    EXPECT_EQ(defaults->stringForKey("OAUTH_APP_Service_KEY"), "k/1");
    EXPECT_EQ(defaults->stringForKey("OAUTH_APP_Service_SECRET"), "s 2");
    auto loaded = OAToken::withUserDefaultsUsingServiceProviderName("Service", "APP");
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->key(), "k/1");
    EXPECT_EQ(loaded->secret(), "s 2");
    EXPECT_FALSE(loaded->sessionHandle());
    EXPECT_FALSE(OAToken::withUserDefaultsUsingServiceProviderName("Other", "APP"));
    EXPECT_FALSE(OAToken::withUserDefaultsUsingServiceProviderName("Service", "OTHER"));

    // Both texts are needed; a token without a secret leaves none behind.
    auto keyOnly = OAToken::withHTTPResponseBody("oauth_token=only");
    EXPECT_EQ(keyOnly->storeInUserDefaultsWithServiceProviderName("Service", "APP"), 0);
    EXPECT_EQ(ns::UserDefaults::standard()->stringForKey("OAUTH_APP_Service_KEY"), "only");
    EXPECT_FALSE(ns::UserDefaults::standard()->objectForKey("OAUTH_APP_Service_SECRET"));
    EXPECT_FALSE(OAToken::withUserDefaultsUsingServiceProviderName("Service", "APP"));
}

TEST(OAToken, ReportsAStoreThatDidNotReachTheDisk)
{
    testkit::TemporaryHome home;
    // A file stands where the folder of the defaults goes: nothing can be written there.
    std::filesystem::path folder = std::filesystem::path(ns::UserDefaults::standard()->path()).parent_path();
    std::filesystem::remove_all(folder);
    std::ofstream(folder) << "in the way";
    OAToken token("k", "s");
    EXPECT_EQ(token.storeInUserDefaultsWithServiceProviderName("Service", "APP"), -1);
}

TEST(OABase64, BreaksLinesAfterSeventyTwoCharacters)
{
    struct Row
    {
        std::size_t length;
        std::string expected;
    };
    std::string line(72, 'A');
    Row rows[] = {{0, ""},     {1, "AA=="},         {2, "AAA="},
                  {3, "AAAA"}, {54, line + "\r\n"}, {55, line + "\r\nAA=="}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.length);
        std::vector<uint8_t> input(row.length, 0);
        std::string out(200, '#');
        std::size_t length = out.size();
        ASSERT_TRUE(OAEncodeBase64(input.data(), input.size(), out.data(), &length));
        EXPECT_EQ(out.substr(0, length), row.expected);
        EXPECT_EQ(out[length], '#');
    }
    const uint8_t text[] = {'f', 'o', 'o', 'b', 'a'};
    char small[7] = "......";
    std::size_t length = 7;
    EXPECT_FALSE(OAEncodeBase64(text, 5, small, &length));
    EXPECT_EQ(length, 7u);
    EXPECT_STREQ(small, "......");
    length = 8;
    char exact[8];
    ASSERT_TRUE(OAEncodeBase64(text, 5, exact, &length));
    EXPECT_EQ(std::string(exact, length), "Zm9vYmE=");
}

TEST(OAPlaintextSignatureProvider, SignsWithTheSecret)
{
    auto req = std::make_shared<OAMutableURLRequest>(
        ns::URL::withString("https://example.com/"), std::make_shared<OAConsumer>("ck", "c&s"),
        std::make_shared<OAToken>("tk", "t s"), std::string("r m"),
        std::make_shared<OAPlaintextSignatureProvider>(), "N", "1");
    req->prepare();
    EXPECT_EQ(req->signature(), "c%26s&t%20s");
    EXPECT_EQ(req->valueForHTTPHeaderField("Authorization"),
              "OAuth realm=\"r%20m\", oauth_consumer_key=\"ck\", oauth_token=\"tk\", "
              "oauth_signature_method=\"PLAINTEXT\", "
              "oauth_signature=\"c%2526s%26t%2520s\", oauth_timestamp=\"1\", oauth_nonce=\"N\", "
              "oauth_version=\"1.0\"");
}
