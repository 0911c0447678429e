// Any bytes as the check-in service's reply: the envelope gives an error of the service's domain whose code
// is the meta's, and the venue records read from it; the same bytes as the fragment of the sign-in's
// redirect are read into pairs without failing.
#include "webservices/sharers/foursquare/SHKFoursquareV2Error.h"
#include "webservices/sharers/foursquare/SHKFoursquareV2OAuthView.h"
#include "webservices/sharers/foursquare/SHKFoursquareV2Request.h"
#include "webservices/sharers/foursquare/SHKFoursquareV2Venue.h"

#include "foundation/Dictionary.h"
#include "foundation/Error.h"
#include "foundation/URL.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace {

void check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string text(reinterpret_cast<const char*>(data), size);
    auto result = SHKFoursquareV2Request::resultFromText(text);
    auto meta = result ? result->objectAs<ns::Dictionary>("meta") : nullptr;
    auto error = errorWithFoursquareMeta(meta);
    check(error && error->domain() == SHKFoursquareV2ErrorDomain);
    check(!error->localizedDescription().empty());
    check(getFoursquareRelogin(error) == (error->code() == 401));
    if (!meta)
        check(error->code() == 0);
    auto response = result ? result->objectAs<ns::Dictionary>("response") : nullptr;
    for (const auto& venue : SHKFoursquareV2Venue::venuesFromResponse(response))
        check(venue != nullptr);

    std::string address = "http://127.0.0.1/callback#";
    address += text;
    if (auto url = ns::URL::withString(address))
        SHKFoursquareV2OAuthView::fragmentParameters(*url);
    return 0;
}
