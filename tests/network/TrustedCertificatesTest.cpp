// The device's setting that trusts more certificate authorities, against an HTTPS server on 127.0.0.1.
#include "foundation/TrustedCertificates.h"
#include "foundation/Error.h"
#include "foundation/FileManager.h"
#include "foundation/RunLoop.h"
#include "foundation/URL.h"
#include "foundation/URLConnection.h"
#include "testing/LoopbackServer.h"

#include <gtest/gtest.h>

#include <curl/curl.h>
#include <functional>
#include <string>

namespace {

using testkit::LoopbackServer;
using testkit::ScriptedReply;

const std::string tls = std::string(VELMO_FIXTURES) + "/network/tls/";

std::string fixture(const std::string& name)
{
    return ns::FileManager::stringWithContentsOfFile(tls + name).value_or("");
}

class Outcome : public ns::URLConnectionDelegate
{
public:
    void connectionDidReceiveResponse(ns::URLConnection&, const ns::Ref<ns::URLResponse>& response) override
    {
        status = ns::cast<ns::HTTPURLResponse>(response)->statusCode();
    }
    void connectionDidReceiveData(ns::URLConnection&, const ns::Ref<ns::Data>& data) override
    {
        body.append(data->view());
    }
    void connectionDidFailWithError(ns::URLConnection&, const ns::Ref<ns::Error>& error) override
    {
        code = error->code();
        done = true;
    }
    void connectionDidFinishLoading(ns::URLConnection&) override { done = true; }

    int status = 0;
    long code = 0;
    std::string body;
    bool done = false;
};

// Loads the address and tells what came of it.
ns::Ref<Outcome> load(const std::string& url)
{
    auto outcome = std::make_shared<Outcome>();
    auto request = ns::MutableURLRequest::requestWithURL(
        ns::URL::withString(url), ns::URLRequestCachePolicy::ReloadIgnoringLocalAndRemoteCacheData, 5);
    EXPECT_TRUE(ns::URLConnection::connectionWithRequest(request, outcome));
    EXPECT_TRUE(ns::RunLoop::current().runUntil([&] { return outcome->done; }, 10));
    return outcome;
}

class TrustedCertificatesTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ns::TrustedCertificates::removeAdded();
        ASSERT_TRUE(server.startTLS(tls + "server-certificate.pem", tls + "server-key.pem"));
        server.route("/page", ScriptedReply::text(200, "over TLS"));
    }
    void TearDown() override { ns::TrustedCertificates::removeAdded(); }

    LoopbackServer server;
};

TEST_F(TrustedCertificatesTest, AServerSignedByAnAddedAuthorityIsReachedAndOthersStayRefused)
{
    struct Row
    {
        const char* name;
        std::function<void()> setting;
        std::function<std::string(const LoopbackServer&)> address;
        long error; // 0: the page arrives
    } rows[] = {
        {"nothing added", [] {}, [](const LoopbackServer& at) { return at.url("/page"); },
         ns::URLErrorServerCertificateUntrusted},
        {"the server's authority added",
         [] { ASSERT_TRUE(ns::TrustedCertificates::addFile(tls + "ca.pem")); },
         [](const LoopbackServer& at) { return at.url("/page"); }, 0},
        {"another authority added",
         [] { ASSERT_TRUE(ns::TrustedCertificates::addFile(tls + "other-ca.pem")); },
         [](const LoopbackServer& at) { return at.url("/page"); }, ns::URLErrorServerCertificateUntrusted},
        {"both authorities in one text",
         [] { ASSERT_TRUE(ns::TrustedCertificates::addPEM(fixture("other-ca.pem") + fixture("ca.pem"))); },
         [](const LoopbackServer& at) { return at.url("/page"); }, 0},
        {"added, then removed",
         [] {
             ASSERT_TRUE(ns::TrustedCertificates::addFile(tls + "ca.pem"));
             ns::TrustedCertificates::removeAdded();
         },
         [](const LoopbackServer& at) { return at.url("/page"); }, ns::URLErrorServerCertificateUntrusted},
        // The host is still checked against the certificate, which names 127.0.0.1 only.
        {"trusted authority, other host name",
         [] { ASSERT_TRUE(ns::TrustedCertificates::addFile(tls + "ca.pem")); },
         [](const LoopbackServer& at) { return "https://localhost:" + std::to_string(at.port()) + "/page"; },
         ns::URLErrorServerCertificateUntrusted},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        ns::TrustedCertificates::removeAdded();
        server.clearRequests();
        row.setting();
        auto outcome = load(row.address(server));
        EXPECT_EQ(outcome->code, row.error);
        if (row.error) {
            EXPECT_EQ(server.requestCount(), 0u) << "nothing reaches a server that is not trusted";
        } else {
            EXPECT_EQ(outcome->status, 200);
            EXPECT_EQ(outcome->body, "over TLS");
        }
    }
}

TEST_F(TrustedCertificatesTest, TextsWithoutAReadableCertificateAreRefusedAndAddNothing)
{
    std::string certificate = fixture("ca.pem");
    ASSERT_FALSE(certificate.empty());
    struct Row
    {
        const char* name;
        std::string text;
        const char* reason;
    } rows[] = {
        {"empty", "", "it holds no PEM certificate"},
        {"plain words", "not a certificate\n", "it holds no PEM certificate"},
        {"a private key only", fixture("server-key.pem"), "it holds no PEM certificate"},
        {"cut short", certificate.substr(0, certificate.size() / 2), "a certificate in it cannot be read"},
        {"body damaged", certificate.substr(0, 100) + "!!!!" + certificate.substr(104),
         "a certificate in it cannot be read"},
        {"a good one, then a cut one", certificate + certificate.substr(0, certificate.size() / 2),
         "a certificate in it cannot be read"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        std::string reason;
        EXPECT_FALSE(ns::TrustedCertificates::addPEM(row.text, &reason));
        EXPECT_EQ(reason, row.reason);
        EXPECT_FALSE(ns::TrustedCertificates::hasAdded());
        EXPECT_FALSE(ns::TrustedCertificates::bundle());
    }
    std::string reason;
    EXPECT_FALSE(ns::TrustedCertificates::addFile(tls + "missing.pem", &reason));
    EXPECT_EQ(reason, "cannot read " + tls + "missing.pem");
    EXPECT_FALSE(ns::TrustedCertificates::hasAdded());
}

TEST_F(TrustedCertificatesTest, TheBundleKeepsTheSystemsAuthoritiesFirst)
{
    ASSERT_TRUE(ns::TrustedCertificates::addFile(tls + "ca.pem"));
    auto bundle = ns::TrustedCertificates::bundle();
    ASSERT_TRUE(bundle);
    const curl_version_info_data* info = curl_version_info(CURLVERSION_NOW);
    std::string system = info && info->cainfo
                             ? ns::FileManager::stringWithContentsOfFile(info->cainfo).value_or("")
                             : std::string();
    EXPECT_EQ(bundle->compare(0, system.size(), system), 0);
    EXPECT_NE(bundle->find(fixture("ca.pem")), std::string::npos);
}

} // namespace
