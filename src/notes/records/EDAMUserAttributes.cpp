#include "notes/records/EDAMUserAttributes.h"

#include "notes/records/EDAMRecordEngine.h"

ns::Ref<EDAMUserAttributes> EDAMUserAttributes::initWithDefaultLocationName(
    ns::Ref<ns::String> defaultLocationName, double defaultLatitude, double defaultLongitude,
    bool preactivation, ns::Ref<ns::Array> viewedPromotions, ns::Ref<ns::String> incomingEmailAddress,
    ns::Ref<ns::Array> recentMailedAddresses, ns::Ref<ns::String> comments,
    int64_t dateAgreedToTermsOfService, int32_t maxReferrals, int32_t referralCount,
    ns::Ref<ns::String> refererCode, int64_t sentEmailDate, int32_t sentEmailCount, int32_t dailyEmailLimit,
    int64_t emailOptOutDate, int64_t partnerEmailOptInDate, ns::Ref<ns::String> preferredLanguage,
    ns::Ref<ns::String> preferredCountry, bool clipFullPage, ns::Ref<ns::String> twitterUserName,
    ns::Ref<ns::String> twitterId, ns::Ref<ns::String> groupName, ns::Ref<ns::String> recognitionLanguage,
    int64_t customerProfileId, ns::Ref<ns::String> referralProof)
{
    auto record = ns::make<EDAMUserAttributes>();
    EDAM_USER_ATTRIBUTES_FIELDS(EDAM_FIELD_ASSIGN)
    return record;
}

EDAM_RECORD_DEFINITIONS(EDAMUserAttributes)
