#pragma once

#include "notes/records/EDAMField.h"

#include <cstdint>

// A user's settings and history with the service. Struct "UserAttributes" on the wire.
#define EDAM_USER_ATTRIBUTES_FIELDS(X)                                                                       \
    X(1, edam::String, defaultLocationName, DefaultLocationName)                                             \
    X(2, edam::Double, defaultLatitude, DefaultLatitude)                                                     \
    X(3, edam::Double, defaultLongitude, DefaultLongitude)                                                   \
    X(4, edam::Bool, preactivation, Preactivation)                                                           \
    X(5, edam::StringList, viewedPromotions, ViewedPromotions)                                               \
    X(6, edam::String, incomingEmailAddress, IncomingEmailAddress)                                           \
    X(7, edam::StringList, recentMailedAddresses, RecentMailedAddresses)                                     \
    X(9, edam::String, comments, Comments)                                                                   \
    X(11, edam::I64, dateAgreedToTermsOfService, DateAgreedToTermsOfService)                                 \
    X(12, edam::I32, maxReferrals, MaxReferrals)                                                             \
    X(13, edam::I32, referralCount, ReferralCount)                                                           \
    X(14, edam::String, refererCode, RefererCode)                                                            \
    X(15, edam::I64, sentEmailDate, SentEmailDate)                                                           \
    X(16, edam::I32, sentEmailCount, SentEmailCount)                                                         \
    X(17, edam::I32, dailyEmailLimit, DailyEmailLimit)                                                       \
    X(18, edam::I64, emailOptOutDate, EmailOptOutDate)                                                       \
    X(19, edam::I64, partnerEmailOptInDate, PartnerEmailOptInDate)                                           \
    X(20, edam::String, preferredLanguage, PreferredLanguage)                                                \
    X(21, edam::String, preferredCountry, PreferredCountry)                                                  \
    X(22, edam::Bool, clipFullPage, ClipFullPage)                                                            \
    X(23, edam::String, twitterUserName, TwitterUserName)                                                    \
    X(24, edam::String, twitterId, TwitterId)                                                                \
    X(25, edam::String, groupName, GroupName)                                                                \
    X(26, edam::String, recognitionLanguage, RecognitionLanguage)                                            \
    X(27, edam::I64, customerProfileId, CustomerProfileId)                                                   \
    X(28, edam::String, referralProof, ReferralProof)

class EDAMUserAttributes : public ns::Object
{
public:
    EDAMUserAttributes() = default;
    // Every field set, nothing for an object argument included.
    static ns::Ref<EDAMUserAttributes> initWithDefaultLocationName(
        ns::Ref<ns::String> defaultLocationName, double defaultLatitude, double defaultLongitude,
        bool preactivation, ns::Ref<ns::Array> viewedPromotions, ns::Ref<ns::String> incomingEmailAddress,
        ns::Ref<ns::Array> recentMailedAddresses, ns::Ref<ns::String> comments,
        int64_t dateAgreedToTermsOfService, int32_t maxReferrals, int32_t referralCount,
        ns::Ref<ns::String> refererCode, int64_t sentEmailDate, int32_t sentEmailCount,
        int32_t dailyEmailLimit, int64_t emailOptOutDate, int64_t partnerEmailOptInDate,
        ns::Ref<ns::String> preferredLanguage, ns::Ref<ns::String> preferredCountry, bool clipFullPage,
        ns::Ref<ns::String> twitterUserName, ns::Ref<ns::String> twitterId, ns::Ref<ns::String> groupName,
        ns::Ref<ns::String> recognitionLanguage, int64_t customerProfileId,
        ns::Ref<ns::String> referralProof);
    EDAM_RECORD_OPERATIONS(EDAMUserAttributes, "UserAttributes")

    EDAM_FIELDS(EDAMUserAttributes, EDAM_USER_ATTRIBUTES_FIELDS)
};
