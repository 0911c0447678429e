// Signatures checked against an independent OAuth 1.0 implementation (python3-oauthlib), which signs each
// request from what a server receives: its method, URL, body, content type and Authorization header.
#include "SigningCases.h"

#include "sharing/support/OAuthOracle.h"

#include <gtest/gtest.h>

TEST(OAuthOracle, SignaturesMatchAnRFC5849Server)
{
    const auto& rows = oauth_test::signingCases();
    std::vector<ns::Ref<OAMutableURLRequest>> requests;
    std::vector<oauth_test::OracleRequest> asked;
    for (const auto& row : rows) {
        auto request = oauth_test::signedRequest(row);
        requests.push_back(request);
        asked.push_back({request->HTTPMethod(), request->URLString(),
                         request->HTTPBody() ? std::string(request->HTTPBody()->view()) : std::string(),
                         request->valueForHTTPHeaderField("Content-Type").value_or(""),
                         *request->valueForHTTPHeaderField("Authorization"), row.consumerSecret,
                         row.token ? row.token->secret().value_or("") : "",
                         request->signatureProvider()->name()});
    }
    std::vector<oauth_test::OracleVerdict> verdicts;
    ASSERT_NO_FATAL_FAILURE(oauth_test::askOracle(asked, verdicts));
    if (IsSkipped())
        return;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE(rows[i].name);
        EXPECT_EQ(requests[i]->signatureBaseString(), verdicts[i].base);
        EXPECT_EQ(requests[i]->signature(), verdicts[i].signature);
        // The signing test's fixed rows hold what the oracle says, so they check the same without it.
        EXPECT_EQ(rows[i].base, verdicts[i].base) << "the fixed row differs from the oracle";
        EXPECT_EQ(rows[i].signature, verdicts[i].signature) << "the fixed row differs from the oracle";
    }
}
