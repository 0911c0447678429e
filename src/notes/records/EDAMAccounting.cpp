#include "notes/records/EDAMAccounting.h"

#include "notes/records/EDAMRecordEngine.h"

ns::Ref<EDAMAccounting> EDAMAccounting::initWithUploadLimit(
    int64_t uploadLimit, int64_t uploadLimitEnd, int64_t uploadLimitNextMonth, int32_t premiumServiceStatus,
    ns::Ref<ns::String> premiumOrderNumber, ns::Ref<ns::String> premiumCommerceService,
    int64_t premiumServiceStart, ns::Ref<ns::String> premiumServiceSKU, int64_t lastSuccessfulCharge,
    int64_t lastFailedCharge, ns::Ref<ns::String> lastFailedChargeReason, int64_t nextPaymentDue,
    int64_t premiumLockUntil, int64_t updated, ns::Ref<ns::String> premiumSubscriptionNumber,
    int64_t lastRequestedCharge)
{
    auto record = ns::make<EDAMAccounting>();
    EDAM_ACCOUNTING_FIELDS(EDAM_FIELD_ASSIGN)
    return record;
}

EDAM_RECORD_DEFINITIONS(EDAMAccounting)
