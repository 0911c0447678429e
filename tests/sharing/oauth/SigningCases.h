#pragma once

#include "sharing/oauth/OAMutableURLRequest.h"

#include <string>
#include <utility>
#include <vector>

namespace oauth_test {

// One signed request: what the application gives the request, and the base string and signature a server
// that verifies it computes. The oauthlib cross-check signs the same cases, so each row here is one that
// an independent implementation agrees with.
struct SigningCase
{
    const char* name;
    const char* method;
    const char* url;
    ns::Ref<OAToken> token = nullptr;
    std::vector<std::pair<std::string, std::string>> form = {}; // set as the request's parameters
    const char* contentType = nullptr;                          // with `body`, set as they are
    const char* body = nullptr;
    std::vector<std::pair<std::string, std::string>> extra = {};
    bool plaintext = false;
    const char* consumerSecret = "kd94hf93k423kf44";
    std::string base = {};
    std::string signature = {};
};

const std::vector<SigningCase>& signingCases();

// The case's request, prepared (signed) with a fixed nonce and timestamp.
ns::Ref<OAMutableURLRequest> signedRequest(const SigningCase& signingCase);

} // namespace oauth_test
