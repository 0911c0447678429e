#pragma once

#include "notes/records/EDAMField.h"
#include "notes/records/EDAMPublicUserInfo.h"
#include "notes/records/EDAMUser.h"

#include <cstdint>

// What the user store answers to a sign-in: the token and the user. Struct "AuthenticationResult" on the
// wire.
#define EDAM_AUTHENTICATION_RESULT_FIELDS(X)                                                                 \
    X(1, edam::I64, currentTime, CurrentTime)                                                                \
    X(2, edam::String, authenticationToken, AuthenticationToken)                                             \
    X(3, edam::I64, expiration, Expiration)                                                                  \
    X(4, edam::Struct<EDAMUser>, user, User)                                                                 \
    X(5, edam::Struct<EDAMPublicUserInfo>, publicUserInfo, PublicUserInfo)

class EDAMAuthenticationResult : public ns::Object
{
public:
    EDAMAuthenticationResult() = default;
    // Every field set, nothing for an object argument included.
    static ns::Ref<EDAMAuthenticationResult> initWithCurrentTime(int64_t currentTime,
                                                                 ns::Ref<ns::String> authenticationToken,
                                                                 int64_t expiration, ns::Ref<EDAMUser> user,
                                                                 ns::Ref<EDAMPublicUserInfo> publicUserInfo);
    EDAM_RECORD_OPERATIONS(EDAMAuthenticationResult, "AuthenticationResult")

    EDAM_FIELDS(EDAMAuthenticationResult, EDAM_AUTHENTICATION_RESULT_FIELDS)
};
