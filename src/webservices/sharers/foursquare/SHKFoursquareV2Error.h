#pragma once

#include "foundation/Object.h"

namespace ns {
class Dictionary;
class Error;
} // namespace ns

// The check-in service's errors: the code of the reply's "meta" envelope, with its error type and the
// envelope itself in the user information.
inline constexpr const char* SHKFoursquareV2ErrorDomain = "SHKFoursquareV2ErrorDomain";
inline constexpr const char* SHKFoursquareV2ErrorTypeKey = "SHKFoursquareV2ErrorTypeKey";
inline constexpr const char* SHKFoursquareV2MetaKey = "SHKFoursquareV2MetaKey";

// errorWithFoursquareMeta: the code is the integer value of "code" (0 without a meta or a code); the
// description asks for a new sign-in for 401, else reports a general failure; "errorType" and the meta
// go into the user information when present.
ns::Ref<ns::Error> errorWithFoursquareMeta(const ns::Ref<ns::Dictionary>& meta);

// getFoursquareRelogin: whether the error is the service's refusal of the access token (its domain, 401).
bool getFoursquareRelogin(const ns::Ref<ns::Error>& error);
