#include "notes/records/EDAMData.h"

#include "notes/records/EDAMRecordEngine.h"

ns::Ref<EDAMData> EDAMData::initWithBodyHash(ns::Ref<ns::Data> bodyHash, int32_t size, ns::Ref<ns::Data> body)
{
    auto record = ns::make<EDAMData>();
    EDAM_DATA_FIELDS(EDAM_FIELD_ASSIGN)
    return record;
}

EDAM_RECORD_DEFINITIONS(EDAMData)
