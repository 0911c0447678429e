// Any bytes as the social network's answer: the answer table gives a result, an error of its domain, or
// neither, never both but for the error message beside a result; and the same bytes after the
// application's own address, as a sign-in coming back, are read without failing.
#include "webservices/social/FBRequest.h"
#include "webservices/social/Facebook.h"

#include "foundation/Data.h"
#include "foundation/URL.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace {

void check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ns::Data bytes(std::vector<uint8_t>(data, data + size));
    ns::Ref<ns::Error> error;
    ns::Id result = FBRequest::parseJsonResponse(bytes, &error);
    if (error)
        check(error->domain() == FBErrorDomain);
    if (result && error)
        check(ns::cast<ns::Dictionary>(result) && error->code() == FBGenericErrorCode);

    std::string text(reinterpret_cast<const char*>(data), size);
    Facebook::parseURLParams(text);
    // A disabled service signs in again, which opens other applications: not for a fuzzer.
    if (text.find("service_disabled") != std::string::npos)
        return 0;
    auto session = Facebook::create("123", std::string(), {});
    std::string url = "fb123://authorize#";
    url += text;
    session->handleOpenURL(ns::URL::withString(url));
    return 0;
}
