#include "notes/records/EDAMPublicUserInfo.h"

#include "notes/records/EDAMRecordEngine.h"

ns::Ref<EDAMPublicUserInfo> EDAMPublicUserInfo::initWithUserId(int32_t userId, ns::Ref<ns::String> shardId,
                                                               int32_t privilege,
                                                               ns::Ref<ns::String> username)
{
    auto record = ns::make<EDAMPublicUserInfo>();
    EDAM_PUBLIC_USER_INFO_FIELDS(EDAM_FIELD_ASSIGN)
    return record;
}

EDAM_RECORD_DEFINITIONS(EDAMPublicUserInfo)
