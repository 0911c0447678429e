#pragma once

#include "notes/records/EDAMField.h"

#include <cstdint>

// What anyone may know of a user, the shard of the user's notes included. Struct "PublicUserInfo" on the
// wire.
#define EDAM_PUBLIC_USER_INFO_FIELDS(X)                                                                      \
    X(1, edam::I32, userId, UserId)                                                                          \
    X(2, edam::String, shardId, ShardId)                                                                     \
    X(3, edam::Enum, privilege, Privilege)                                                                   \
    X(4, edam::String, username, Username)

class EDAMPublicUserInfo : public ns::Object
{
public:
    EDAMPublicUserInfo() = default;
    // Every field set, nothing for an object argument included.
    static ns::Ref<EDAMPublicUserInfo> initWithUserId(int32_t userId, ns::Ref<ns::String> shardId,
                                                      int32_t privilege, ns::Ref<ns::String> username);
    EDAM_RECORD_OPERATIONS(EDAMPublicUserInfo, "PublicUserInfo")

    EDAM_FIELDS(EDAMPublicUserInfo, EDAM_PUBLIC_USER_INFO_FIELDS)
};
