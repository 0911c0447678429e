#include "notes/records/EDAMPublishing.h"

#include "notes/records/EDAMRecordEngine.h"

ns::Ref<EDAMPublishing> EDAMPublishing::initWithUri(ns::Ref<ns::String> uri, int32_t order, bool ascending,
                                                    ns::Ref<ns::String> publicDescription)
{
    auto record = ns::make<EDAMPublishing>();
    EDAM_PUBLISHING_FIELDS(EDAM_FIELD_ASSIGN)
    return record;
}

EDAM_RECORD_DEFINITIONS(EDAMPublishing)
