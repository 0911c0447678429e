#pragma once

#include "notes/records/EDAMAccounting.h"
#include "notes/records/EDAMField.h"
#include "notes/records/EDAMUserAttributes.h"

#include <cstdint>

// A user of the note service, with the shard that holds the user's notes. Struct "User" on the wire.
#define EDAM_USER_FIELDS(X)                                                                                  \
    X(1, edam::I32, id, Id)                                                                                  \
    X(2, edam::String, username, Username)                                                                   \
    X(3, edam::String, email, Email)                                                                         \
    X(4, edam::String, name, Name)                                                                           \
    X(6, edam::String, timezone, Timezone)                                                                   \
    X(7, edam::Enum, privilege, Privilege)                                                                   \
    X(9, edam::I64, created, Created)                                                                        \
    X(10, edam::I64, updated, Updated)                                                                       \
    X(11, edam::I64, deleted, Deleted)                                                                       \
    X(13, edam::Bool, active, Active)                                                                        \
    X(14, edam::String, shardId, ShardId)                                                                    \
    X(15, edam::Struct<EDAMUserAttributes>, attributes, Attributes)                                          \
    X(16, edam::Struct<EDAMAccounting>, accounting, Accounting)

class EDAMUser : public ns::Object
{
public:
    EDAMUser() = default;
    // Every field set, nothing for an object argument included.
    static ns::Ref<EDAMUser> initWithId(int32_t id, ns::Ref<ns::String> username, ns::Ref<ns::String> email,
                                        ns::Ref<ns::String> name, ns::Ref<ns::String> timezone,
                                        int32_t privilege, int64_t created, int64_t updated, int64_t deleted,
                                        bool active, ns::Ref<ns::String> shardId,
                                        ns::Ref<EDAMUserAttributes> attributes,
                                        ns::Ref<EDAMAccounting> accounting);
    EDAM_RECORD_OPERATIONS(EDAMUser, "User")

    EDAM_FIELDS(EDAMUser, EDAM_USER_FIELDS)
};
