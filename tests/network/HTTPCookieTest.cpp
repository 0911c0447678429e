#include "foundation/HTTPCookie.h"
#include "foundation/Clock.h"
#include "foundation/Date.h"
#include "foundation/Dictionary.h"
#include "foundation/HTTPCookieStorage.h"
#include "foundation/Number.h"
#include "foundation/String.h"
#include "foundation/URL.h"
#include "foundation/URLResponse.h"

#include <gtest/gtest.h>

namespace {

using ns::HTTPCookie;
using ns::HTTPCookieStorage;

TEST(HTTPCookie, SetCookieFieldsAreReadLeniently)
{
    const double now = 1300000000;
    struct Row
    {
        const char* field;
        const char* host;
        const char* path;
        bool kept;
        const char* domain;
        const char* cookiePath;
        std::optional<double> expires;
        bool secure;
    } rows[] = {
        {"a=b", "www.example.com", "/dir/page", true, "www.example.com", "/dir", std::nullopt, false},
        {"a=b; Path=/x; Secure; HttpOnly", "example.com", "/", true, "example.com", "/x", std::nullopt, true},
        {"a=b; Domain=.example.com", "www.example.com", "/", true, ".example.com", "/", std::nullopt, false},
        {"a=b; Domain=example.com", "example.com", "/", true, ".example.com", "/", std::nullopt, false},
        {"a=b; Domain=other.com", "www.example.com", "/", false, "", "", std::nullopt, false},
        {"a=b; Domain=ample.com", "example.com", "/", false, "", "", std::nullopt, false},
        {"a=b; Domain=com", "example.com", "/", false, "", "", std::nullopt, false},
        {"a=b; Max-Age=60", "h.com", "/", true, "h.com", "/", now + 60, false},
        {"a=b; Max-Age=60; Expires=Wed, 09 Jun 2021 10:18:14 GMT", "h.com", "/", true, "h.com", "/", now + 60,
         false},
        {"a=b; Expires=Wed, 09 Jun 2021 10:18:14 GMT", "h.com", "/", true, "h.com", "/", 1623233894, false},
        {"a=b; expires=Sunday, 06-Nov-94 08:49:37 GMT", "h.com", "/", true, "h.com", "/", 784111777, false},
        {"a=b; Expires=not a date", "h.com", "/", true, "h.com", "/", std::nullopt, false},
        {"novalue", "h.com", "/", false, "", "", std::nullopt, false},
        {"=b", "h.com", "/", false, "", "", std::nullopt, false},
        {" spaced = value with spaces ; path=/p", "h.com", "/", true, "h.com", "/p", std::nullopt, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.field);
        auto cookie = HTTPCookie::parseSetCookie(row.field, row.host, row.path, now);
        ASSERT_EQ(cookie != nullptr, row.kept);
        if (!cookie)
            continue;
        EXPECT_EQ(cookie->domain(), row.domain);
        EXPECT_EQ(cookie->path(), row.cookiePath);
        EXPECT_EQ(cookie->expires(), row.expires);
        EXPECT_EQ(cookie->isSecure(), row.secure);
    }
}

TEST(HTTPCookie, CookieFromPropertiesNeedsNameValueAndDomain)
{
    auto properties = ns::MutableDictionary::make();
    properties->setObject(ns::String::make("sid"), ns::HTTPCookieName);
    properties->setObject(ns::String::make("42"), ns::HTTPCookieValue);
    EXPECT_FALSE(HTTPCookie::cookieWithProperties(*properties));
    properties->setObject(ns::String::make(".example.com"), ns::HTTPCookieDomain);
    properties->setObject(ns::Date::withTimeIntervalSince1970(2000000000), ns::HTTPCookieExpires);
    auto cookie = HTTPCookie::cookieWithProperties(*properties);
    ASSERT_TRUE(cookie);
    EXPECT_EQ(cookie->path(), "/");
    EXPECT_TRUE(cookie->matchesDomain("m.example.com"));
    EXPECT_TRUE(cookie->matchesDomain("example.com"));
    EXPECT_FALSE(cookie->matchesDomain("badexample.com"));
    EXPECT_EQ(cookie->expiresDate()->timeIntervalSince1970(), 2000000000);
    properties->setObject(ns::String::make("a\r\nSet-Cookie: x"), ns::HTTPCookieValue);
    EXPECT_FALSE(HTTPCookie::cookieWithProperties(*properties));
}

TEST(HTTPCookieStorage, StoresMatchesExpiresAndDeletes)
{
    ns::ManualClockScope clock;
    HTTPCookieStorage& storage = HTTPCookieStorage::shared();
    storage.deleteAllCookies();
    storage.setCookiesFromFields(
        {"root=1; Path=/", "deep=2; Path=/app", "safe=3; Secure", "short=4; Max-Age=10"},
        "http://example.com/app/x");
    auto names = [&](const char* url) {
        std::vector<std::string> out;
        for (const auto& cookie : storage.cookiesForURL(ns::URL::withString(url).get()))
            out.push_back(cookie->name());
        return out;
    };
    EXPECT_EQ(names("http://example.com/app/y"), (std::vector<std::string>{"deep", "short", "root"}));
    EXPECT_EQ(names("https://example.com/app/y"),
              (std::vector<std::string>{"deep", "safe", "short", "root"}));
    EXPECT_EQ(names("http://example.com/apple"),
              std::vector<std::string>{"root"}); // "/app" is no prefix of it
    EXPECT_TRUE(names("http://other.com/").empty());
    auto fields = HTTPCookieStorage::requestHeaderFieldsWithCookies(
        storage.cookiesForURL(ns::URL::withString("http://example.com/app/y").get()));
    EXPECT_EQ(fields->stringForKey("Cookie"), "deep=2; short=4; root=1");
    EXPECT_EQ(HTTPCookieStorage::requestHeaderFieldsWithCookies({})->count(), 0u);

    clock.advance(11);
    EXPECT_EQ(names("http://example.com/app/y"), (std::vector<std::string>{"deep", "root"}));

    storage.setCookiesFromFields({"root=changed; Path=/"}, "http://example.com/");
    EXPECT_EQ(storage.cookiesForURL(ns::URL::withString("http://example.com/").get())[0]->value(), "changed");
    storage.setCookiesFromFields({"root=gone; Path=/; Max-Age=0"}, "http://example.com/");
    EXPECT_EQ(names("http://example.com/"), std::vector<std::string>{});
    for (const auto& cookie : storage.cookies())
        storage.deleteCookie(cookie);
    EXPECT_TRUE(storage.cookies().empty());
}

TEST(HTTPResponseHead, ParsesStatusFieldsAndFolding)
{
    ns::HTTPResponseHeadParser parser;
    auto state = parser.parse(
        "HTTP/1.1 201 Created\r\nContent-Type: text/html; charset=UTF-8\r\nX-Error: one\r\n"
        "x-error: two\r\nFolded: a\r\n  b\r\nnot a field\r\nSet-Cookie: a=1\r\nSet-Cookie: b=2\r\n\r\n");
    ASSERT_EQ(state, ns::HTTPResponseHeadParser::State::Complete);
    EXPECT_EQ(parser.statusCode(), 201);
    ns::HTTPURLResponse response(ns::URL::withString("http://h/"), parser.statusCode(), parser.fields());
    EXPECT_EQ(response.valueForHTTPHeaderField("X-ERROR"), "one, two");
    EXPECT_EQ(response.allHeaderFields()->stringForKey("x-Error"), "one, two");
    EXPECT_EQ(response.valueForHTTPHeaderField("Folded"), "a b");
    EXPECT_EQ(response.MIMEType(), "text/html");
    EXPECT_EQ(response.textEncodingName(), "utf-8");
    EXPECT_EQ(response.expectedContentLength(), ns::URLResponseUnknownLength);
    EXPECT_EQ(response.rawHeaderFields().size(), 6u);
}

TEST(HTTPResponseHead, RefusesWhatIsNotAResponse)
{
    const char* heads[] = {"GET / HTTP/1.1\r\n\r\n", "HTTP/1.1 2000 OK\r\n\r\n", "HTTP/1.1 abc\r\n\r\n",
                           "HTTP/1.1 099 Low\r\n\r\n", "HTTP/1.1 200 OK\r\n folded first\r\n\r\n"};
    for (const char* head : heads) {
        SCOPED_TRACE(head);
        ns::HTTPResponseHeadParser parser;
        EXPECT_EQ(parser.parse(head), ns::HTTPResponseHeadParser::State::Failed);
    }
    ns::HTTPResponseHeadParser huge;
    huge.addLine("HTTP/1.1 200 OK\r\n");
    std::string line = "X: " + std::string(1000, 'v') + "\r\n";
    ns::HTTPResponseHeadParser::State state = ns::HTTPResponseHeadParser::State::NeedMore;
    for (int i = 0; i < 1000 && state == ns::HTTPResponseHeadParser::State::NeedMore; ++i)
        state = huge.addLine(line);
    EXPECT_EQ(state, ns::HTTPResponseHeadParser::State::Failed);
}

} // namespace
