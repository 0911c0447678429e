#pragma once

#include "notes/records/EDAMField.h"

#include <cstdint>

// A user's account information. Struct "Accounting" on the wire.
#define EDAM_ACCOUNTING_FIELDS(X)                                                                            \
    X(1, edam::I64, uploadLimit, UploadLimit)                                                                \
    X(2, edam::I64, uploadLimitEnd, UploadLimitEnd)                                                          \
    X(3, edam::I64, uploadLimitNextMonth, UploadLimitNextMonth)                                              \
    X(4, edam::Enum, premiumServiceStatus, PremiumServiceStatus)                                             \
    X(5, edam::String, premiumOrderNumber, PremiumOrderNumber)                                               \
    X(6, edam::String, premiumCommerceService, PremiumCommerceService)                                       \
    X(7, edam::I64, premiumServiceStart, PremiumServiceStart)                                                \
    X(8, edam::String, premiumServiceSKU, PremiumServiceSKU)                                                 \
    X(9, edam::I64, lastSuccessfulCharge, LastSuccessfulCharge)                                              \
    X(10, edam::I64, lastFailedCharge, LastFailedCharge)                                                     \
    X(11, edam::String, lastFailedChargeReason, LastFailedChargeReason)                                      \
    X(12, edam::I64, nextPaymentDue, NextPaymentDue)                                                         \
    X(13, edam::I64, premiumLockUntil, PremiumLockUntil)                                                     \
    X(14, edam::I64, updated, Updated)                                                                       \
    X(16, edam::String, premiumSubscriptionNumber, PremiumSubscriptionNumber)                                \
    X(17, edam::I64, lastRequestedCharge, LastRequestedCharge)

class EDAMAccounting : public ns::Object
{
public:
    EDAMAccounting() = default;
    // Every field set, nothing for an object argument included.
    static ns::Ref<EDAMAccounting>
    initWithUploadLimit(int64_t uploadLimit, int64_t uploadLimitEnd, int64_t uploadLimitNextMonth,
                        int32_t premiumServiceStatus, ns::Ref<ns::String> premiumOrderNumber,
                        ns::Ref<ns::String> premiumCommerceService, int64_t premiumServiceStart,
                        ns::Ref<ns::String> premiumServiceSKU, int64_t lastSuccessfulCharge,
                        int64_t lastFailedCharge, ns::Ref<ns::String> lastFailedChargeReason,
                        int64_t nextPaymentDue, int64_t premiumLockUntil, int64_t updated,
                        ns::Ref<ns::String> premiumSubscriptionNumber, int64_t lastRequestedCharge);
    EDAM_RECORD_OPERATIONS(EDAMAccounting, "Accounting")

    EDAM_FIELDS(EDAMAccounting, EDAM_ACCOUNTING_FIELDS)
};
