#pragma once

#include <string>
#include <vector>

namespace oauth_test {

// What a server receives of one signed request, and the secrets it verifies the signature with.
struct OracleRequest
{
    std::string method;
    std::string uri;
    std::string body;
    std::string contentType;
    std::string authorization;
    std::string consumerSecret;
    std::string tokenSecret;
    std::string signatureMethod = "HMAC-SHA1";
};

// What the oracle computes for one request.
struct OracleVerdict
{
    std::string signature;
    std::string base;
};

// Has an independent OAuth 1.0 implementation (python3-oauthlib) sign each request as an RFC 5849 server
// does, and fills `verdicts` with its answers, one per request in order. Without python3 or oauthlib the
// test is skipped (or fails, where every test tool is required). Call it under ASSERT_NO_FATAL_FAILURE and
// return when the test IsSkipped().
void askOracle(const std::vector<OracleRequest>& requests, std::vector<OracleVerdict>& verdicts);

} // namespace oauth_test
