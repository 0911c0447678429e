// The social network's requests against a fake Graph and REST service on 127.0.0.1.
#include "SocialFixture.h"

#include "foundation/Array.h"
#include "foundation/Data.h"
#include "foundation/Number.h"
#include "testing/ClosedPort.h"
#include "uikit/Image.h"

#include <string>

using namespace social_test;
using testkit::ScriptedReply;

namespace {

class FBRequestTest : public SocialFixture
{
};

std::string errorMessageOf(const ns::Ref<ns::Error>& error)
{
    if (!error || !error->userInfo())
        return "";
    return error->userInfo()->stringForKey("error_msg").value_or("");
}

TEST_F(FBRequestTest, TheAnswerTableDecidesTheOutcomeAndAFailureEndsTheSession)
{
    struct Row
    {
        const char* name;
        int status;
        std::string body;
        bool loads;            // request:didLoad:, else request:didFailWithError:
        long code;             // of the error
        std::string errorMsg;  // "error_msg" of the error's user info
        std::string resultKey; // a key of the loaded dictionary ("" for an array)
    } rows[] = {
        {"true", 200, "true", true, 0, "", "result"},
        {"false", 200, "false", false, 10000, "This operation can not be completed", ""},
        {"an error object", 200, R"({"error":{"code":190,"message":"expired"}})", false, 10000, "", ""},
        {"an error code", 200, R"({"error_code":"17","error_msg":"x"})", false, 17, "x", ""},
        {"an error message beside a result", 200, R"({"id":"1","error_msg":"y"})", false, 10000, "y", ""},
        {"an error reason", 200, R"({"error_reason":"z"})", false, 10000, "", ""},
        {"an array", 200, "[1,2]", true, 0, "", ""},
        {"an object", 200, R"({"id":"42"})", true, 0, "", "id"},
        {"an HTML page with 500", 500, "<html><body>Internal error</body></html>", false, 500,
         "The service answered with HTTP status 500", ""},
        {"a result with 500", 500, R"({"id":"42"})", false, 500, "The service answered with HTTP status 500",
         ""},
        {"an API error with 400", 400, R"({"error":{"code":190}})", false, 10000, "", ""},
        {"text that is not JSON", 200, "Saved", false, 10000, "The service's answer could not be read", ""},
        {"no body", 200, "", false, 10000, "The service's answer could not be read", ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        server.route("/me/feed", ScriptedReply::text(row.status, row.body));
        setLoginCookie();
        auto sessionDelegate = std::make_shared<SessionRecorder>();
        auto session = signedInSession(sessionDelegate);
        auto delegate = std::make_shared<RequestRecorder>();
        auto params = ns::MutableDictionary::make();
        params->setObject(ns::String::make("hello"), "message");
        auto request = session->requestWithGraphPath("me/feed", params, "POST", delegate);
        ASSERT_TRUE(request);
        EXPECT_EQ(request->state(), FBRequest::Loading);
        EXPECT_EQ(session->requests().size(), 1u);
        ASSERT_TRUE(runUntilDone(request));

        EXPECT_TRUE(session->requests().empty());
        EXPECT_FALSE(request->loading());
        ASSERT_GE(delegate->events.size(), 4u);
        EXPECT_EQ(delegate->events[0], "loading");
        EXPECT_EQ(delegate->events[1], "response");
        EXPECT_EQ(delegate->events[2], "raw");
        EXPECT_EQ(delegate->raw->view(), row.body);
        if (row.loads) {
            EXPECT_EQ(delegate->events[3], "load");
            EXPECT_EQ(request->state(), FBRequest::Complete);
            // The delegate hears before the request counts as complete.
            EXPECT_EQ(delegate->stateWhenTold, FBRequest::Loading);
            if (row.resultKey.empty())
                EXPECT_TRUE(ns::cast<ns::Array>(delegate->result));
            else
                ASSERT_TRUE(ns::cast<ns::Dictionary>(delegate->result) &&
                            ns::cast<ns::Dictionary>(delegate->result)->objectForKey(row.resultKey));
            EXPECT_TRUE(session->isSessionValid());
            EXPECT_TRUE(hasLoginCookie());
            EXPECT_TRUE(sessionDelegate->events.empty());
        } else {
            EXPECT_EQ(delegate->events[3], "fail");
            EXPECT_EQ(request->state(), FBRequest::Failed);
            // The delegate hears before the request counts as failed.
            EXPECT_EQ(delegate->stateWhenTold, FBRequest::Loading);
            ASSERT_TRUE(delegate->error);
            EXPECT_EQ(delegate->error->domain(), FBErrorDomain);
            EXPECT_EQ(delegate->error->code(), row.code);
            EXPECT_EQ(errorMessageOf(delegate->error), row.errorMsg);
            EXPECT_EQ(request->error(), delegate->error);
            EXPECT_FALSE(session->isSessionValid());
            EXPECT_FALSE(session->accessToken());
            EXPECT_FALSE(session->expirationDate());
            EXPECT_FALSE(hasLoginCookie());
            EXPECT_EQ(sessionDelegate->events, std::vector<std::string>{"invalidated"});
        }
        ns::HTTPCookieStorage::shared().deleteAllCookies();
    }
}

TEST_F(FBRequestTest, AnErrorObjectKeepsTheWholeAnswerAsItsUserInfo)
{
    server.route("/me", ScriptedReply::text(400, R"({"error":{"code":190,"type":"OAuthException"}})"));
    auto session = signedInSession();
    auto delegate = std::make_shared<RequestRecorder>();
    auto request = session->requestWithGraphPath("me", delegate);
    ASSERT_TRUE(runUntilDone(request));
    ASSERT_TRUE(delegate->error);
    auto inner = delegate->error->userInfo()->objectAs<ns::Dictionary>("error");
    ASSERT_TRUE(inner);
    auto code = inner->objectAs<ns::Number>("code");
    ASSERT_TRUE(code);
    EXPECT_EQ(code->intValue(), 190);
}

TEST_F(FBRequestTest, AFailedConnectionEndsInStateThreeAndEndsTheSession)
{
    testkit::ClosedPort closed;
    setLoginCookie();
    auto sessionDelegate = std::make_shared<SessionRecorder>();
    auto session = signedInSession(sessionDelegate);
    FBServiceAddresses addresses = session->serviceAddresses();
    addresses.graph = cat("http://127.0.0.1:", std::to_string(closed.port()));
    session->setServiceAddresses(addresses);
    auto delegate = std::make_shared<RequestRecorder>();
    auto request = session->requestWithGraphPath("me", delegate);
    ASSERT_TRUE(runUntilDone(request));
    EXPECT_EQ(request->state(), FBRequest::Failed);
    EXPECT_EQ(delegate->events, (std::vector<std::string>{"loading", "fail"}));
    EXPECT_EQ(delegate->error->domain(), ns::URLErrorDomain);
    EXPECT_FALSE(session->isSessionValid());
    EXPECT_FALSE(hasLoginCookie());
    EXPECT_EQ(sessionDelegate->events, std::vector<std::string>{"invalidated"});
    EXPECT_TRUE(session->requests().empty());
}

TEST_F(FBRequestTest, ADelegateThatTakesNoAnswerHearsOnlyTheRawBytes)
{
    server.route("/me", ScriptedReply::text(200, "false"));
    auto session = signedInSession();
    auto delegate = std::make_shared<RequestRecorder>();
    delegate->answersLoad = false;
    auto request = session->requestWithGraphPath("me", delegate);
    ASSERT_TRUE(runUntilDone(request));
    EXPECT_EQ(delegate->events, (std::vector<std::string>{"loading", "response", "raw"}));
    EXPECT_EQ(request->state(), FBRequest::Complete);
    ASSERT_TRUE(request->error());
    EXPECT_EQ(request->error()->code(), 10000);
}

TEST_F(FBRequestTest, EveryRequestCarriesTheSessionsParametersAndTheUserAgent)
{
    server.route("/me", ScriptedReply::text(200, R"({"id":"1"})"));
    server.route("/rest/method/status.get", ScriptedReply::text(200, "true"));
    auto session = signedInSession();
    auto delegate = std::make_shared<RequestRecorder>();
    ASSERT_TRUE(runUntilDone(session->requestWithGraphPath("me", delegate)));
    auto params = ns::MutableDictionary::make();
    params->setObject(ns::String::make("status.get"), "method");
    auto rest = session->requestWithParams(params, delegate);
    ASSERT_TRUE(rest);
    // A slow network gets three minutes, and nothing comes from a local cache.
    ASSERT_TRUE(rest->connection());
    EXPECT_EQ(rest->connection()->originalRequest()->timeoutInterval(), 180);
    EXPECT_EQ(rest->connection()->originalRequest()->cachePolicy(),
              ns::URLRequestCachePolicy::ReloadIgnoringLocalCacheData);
    ASSERT_TRUE(runUntilDone(rest));

    auto requests = server.requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].method, "GET");
    EXPECT_EQ(requests[0].path, "/me");
    EXPECT_EQ(requests[0].query, "format=json&sdk=ios&sdk_version=2&access_token=TOKEN");
    EXPECT_EQ(requests[0].header("User-Agent"), "FacebookConnect");
    EXPECT_EQ(requests[1].path, "/rest/method/status.get");
    EXPECT_EQ(requests[1].query, "format=json&sdk=ios&sdk_version=2&access_token=TOKEN");

    // Signed out, no token goes; without "method" no REST request is made.
    session->setExpirationDate(ns::Date::now());
    ASSERT_TRUE(runUntilDone(session->requestWithGraphPath("me", delegate)));
    EXPECT_EQ(server.lastRequest()->query, "format=json&sdk=ios&sdk_version=2");
    EXPECT_FALSE(session->requestWithParams(ns::MutableDictionary::make(), delegate));
    EXPECT_EQ(server.requestCount(), 3u);
}

TEST_F(FBRequestTest, APhotoUploadIsSentByteForByte)
{
    server.route("/me/photos", ScriptedReply::text(200, R"({"id":"9"})"));
    auto image = ui::Image::imageWithContentsOfFile(cat(VELMO_RESOURCES, "/edit.png"));
    ASSERT_TRUE(image);
    auto session = signedInSession();
    auto params = ns::MutableDictionary::make();
    params->setObject(ns::String::make("A caption & more"), "caption");
    params->setObject(ns::String::make("Hello, world"), "message");
    params->setObject(image, "picture");
    auto delegate = std::make_shared<RequestRecorder>();
    auto request = session->requestWithGraphPath("me/photos", params, "POST", delegate);
    // The bytes handed to the connection, and what the service read of them.
    ASSERT_TRUE(request->connection());
    auto body = request->connection()->originalRequest()->HTTPBody();
    ASSERT_TRUE(body);
    ASSERT_TRUE(runUntilDone(request));
    EXPECT_EQ(request->state(), FBRequest::Complete);

    auto sent = server.lastRequest();
    ASSERT_TRUE(sent);
    EXPECT_EQ(sent->method, "POST");
    // Every text parameter goes in the query too; the image only in the body.
    EXPECT_EQ(sent->query, "caption=A%20caption%20%26%20more&message=Hello%2C%20world&format=json&sdk=ios&"
                           "sdk_version=2&access_token=TOKEN");
    std::string boundary = "3i2ndDfv2rTHiSisAbouNdArYfORhtTPEefj3q2f";
    EXPECT_EQ(sent->header("Content-Type"), cat("multipart/form-data; boundary=", boundary));
    EXPECT_EQ(sent->header("Content-Length"), std::to_string(body->length()));
    auto png = ui::ImagePNGRepresentation(image);
    std::string expected = cat("--", boundary, "\r\n");
    std::vector<testkit::RecordedPart> parts;
    auto textPart = [&](const std::string& name, const std::string& value) {
        expected += cat("Content-Disposition: form-data; name=\"", name, "\"\r\n\r\n", value);
        expected += cat("\r\n--", boundary, "\r\n");
        parts.push_back({name, "", value});
    };
    textPart("caption", "A caption & more");
    textPart("message", "Hello, world");
    textPart("format", "json");
    textPart("sdk", "ios");
    textPart("sdk_version", "2");
    textPart("access_token", "TOKEN");
    // The file part is named by its file name only.
    expected += "Content-Disposition: form-data; filename=\"picture\"\r\nContent-Type: image/png\r\n\r\n";
    expected += std::string(png->view());
    expected += cat("\r\n--", boundary, "--\r\n");
    parts.push_back({"", "image/png", std::string(png->view())});
    EXPECT_EQ(body->length(), expected.size());
    EXPECT_TRUE(body->view() == expected);
    ASSERT_EQ(sent->parts.size(), parts.size());
    for (std::size_t i = 0; i < parts.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(sent->parts[i].name, parts[i].name);
        EXPECT_EQ(sent->parts[i].contentType, parts[i].contentType);
        EXPECT_TRUE(sent->parts[i].content == parts[i].content);
    }
}

TEST_F(FBRequestTest, DataGoesAsAnUnknownFilePartAfterTheTexts)
{
    auto params = ns::MutableDictionary::make();
    params->setObject(ns::Data::withString("\x01\x02"), "blob");
    params->setObject(ns::String::make("v"), "k");
    auto request = FBRequest::getRequestWithParams(params, "POST", {}, "http://127.0.0.1/x");
    std::string b = FBRequest::Boundary;
    std::string expected = cat("--", b, "\r\nContent-Disposition: form-data; name=\"k\"\r\n\r\nv\r\n--", b,
                               "\r\nContent-Disposition: form-data; filename=\"blob\"\r\n"
                               "Content-Type: content/unknown\r\n\r\n\x01\x02\r\n--",
                               b, "--\r\n");
    EXPECT_EQ(request->generatePostBody()->view(), expected);
    EXPECT_EQ(request->state(), FBRequest::NotStarted);
}

TEST_F(FBRequestTest, SerializingEscapesValuesButNotKeysAndLeavesFilesOut)
{
    auto image = ui::Image::imageWithContentsOfFile(cat(VELMO_RESOURCES, "/edit.png"));
    struct Row
    {
        const char* name;
        std::string base;
        std::vector<std::pair<std::string, ns::Id>> params;
        std::string method;
        std::string expected;
    } rows[] = {
        {"no parameters", "http://h/p", {}, "GET", "http://h/p?"},
        {"reserved characters",
         "http://h/p",
         {{"a b", ns::String::make("!*'();:@&=+$,/?%#[] ~")}},
         "GET",
         "http://h/p?a b=%21%2A%27%28%29%3B%3A%40%26%3D%2B%24%2C%2F%3F%25%23%5B%5D%20~"},
        {"an existing query", "http://h/p?x=1", {{"y", ns::String::make("2")}}, "GET", "http://h/p?x=1&y=2"},
        {"UTF-8", "http://h/p", {{"m", ns::String::make("caf\xC3\xA9")}}, "GET", "http://h/p?m=caf%C3%A9"},
        {"a number", "http://h/p", {{"n", ns::Number::numberWithInt(7)}}, "GET", "http://h/p?n=7"},
        {"a file is left out",
         "http://h/p",
         {{"picture", image}, {"m", ns::String::make("x")}},
         "POST",
         "http://h/p?m=x"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        auto params = ns::MutableDictionary::make();
        for (const auto& [key, value] : row.params)
            params->setObject(value, key);
        EXPECT_EQ(FBRequest::serializeURL(row.base, params.get(), row.method), row.expected);
    }
}

} // namespace
