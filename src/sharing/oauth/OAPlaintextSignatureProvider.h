#pragma once

#include "sharing/oauth/OASignatureProviding.h"

// The signature is the signing secret itself; only safe over TLS.
class OAPlaintextSignatureProvider : public OASignatureProviding
{
public:
    std::string name() const override { return "PLAINTEXT"; }
    std::string signClearText(const std::string&, const std::string& secret) const override { return secret; }
    std::string className() const override { return "OAPlaintextSignatureProvider"; }
};
