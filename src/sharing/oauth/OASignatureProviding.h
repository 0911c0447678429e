#pragma once

#include "foundation/Object.h"

#include <string>

// A signature method: its name for "oauth_signature_method" and how it signs a base string.
class OASignatureProviding : public ns::Object
{
public:
    virtual std::string name() const = 0;
    virtual std::string signClearText(const std::string& text, const std::string& secret) const = 0;
};
