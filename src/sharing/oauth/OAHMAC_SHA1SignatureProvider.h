#pragma once

#include "sharing/oauth/OASignatureProviding.h"

// HMAC-SHA1 over the UTF-8 bytes, keyed with the secret; the digest in Base64 (28 characters).
class OAHMAC_SHA1SignatureProvider : public OASignatureProviding
{
public:
    std::string name() const override { return "HMAC-SHA1"; }
    std::string signClearText(const std::string& text, const std::string& secret) const override;
    std::string className() const override { return "OAHMAC_SHA1SignatureProvider"; }
};
