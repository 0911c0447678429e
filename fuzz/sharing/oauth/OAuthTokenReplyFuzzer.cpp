// A service's token reply, and the same bytes as a form body and a URL to sign: none may crash, and what
// is read from them must sign.
#include "sharing/oauth/OAMutableURLRequest.h"
#include "sharing/oauth/OAParameterAdditions.h"
#include "sharing/oauth/OAToken.h"
#include "sharing/oauth/OAURLEncoding.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    std::string_view text(reinterpret_cast<const char*>(data), size);
    auto token = OAToken::withHTTPResponseBody(text);
    OAParameterAdditions::parseForm(text);
    OAURLEncoding::normalizedBaseURLString(text);

    auto request = std::make_shared<OAMutableURLRequest>(ns::URL::withString("http://example.com/p?x=1"),
                                                         std::make_shared<OAConsumer>("ck", "cs"), token,
                                                         std::nullopt, nullptr, "N", "1");
    request->setHTTPMethod("POST");
    request->setHTTPBody(ns::Data::withString(text));
    request->prepare();
    if (request->signature().size() != 28)
        __builtin_trap();
    return 0;
}
