#include "notes/records/EDAMUser.h"

#include "notes/records/EDAMRecordEngine.h"

ns::Ref<EDAMUser> EDAMUser::initWithId(int32_t id, ns::Ref<ns::String> username, ns::Ref<ns::String> email,
                                       ns::Ref<ns::String> name, ns::Ref<ns::String> timezone,
                                       int32_t privilege, int64_t created, int64_t updated, int64_t deleted,
                                       bool active, ns::Ref<ns::String> shardId,
                                       ns::Ref<EDAMUserAttributes> attributes,
                                       ns::Ref<EDAMAccounting> accounting)
{
    auto record = ns::make<EDAMUser>();
    EDAM_USER_FIELDS(EDAM_FIELD_ASSIGN)
    return record;
}

EDAM_RECORD_DEFINITIONS(EDAMUser)
