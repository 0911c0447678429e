#include "notes/records/EDAMAuthenticationResult.h"

#include "notes/records/EDAMRecordEngine.h"

ns::Ref<EDAMAuthenticationResult>
EDAMAuthenticationResult::initWithCurrentTime(int64_t currentTime, ns::Ref<ns::String> authenticationToken,
                                              int64_t expiration, ns::Ref<EDAMUser> user,
                                              ns::Ref<EDAMPublicUserInfo> publicUserInfo)
{
    auto record = ns::make<EDAMAuthenticationResult>();
    EDAM_AUTHENTICATION_RESULT_FIELDS(EDAM_FIELD_ASSIGN)
    return record;
}

EDAM_RECORD_DEFINITIONS(EDAMAuthenticationResult)
