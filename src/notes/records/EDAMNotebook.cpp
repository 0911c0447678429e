#include "notes/records/EDAMNotebook.h"

#include "notes/records/EDAMRecordEngine.h"

ns::Ref<EDAMNotebook> EDAMNotebook::initWithGuid(ns::Ref<ns::String> guid, ns::Ref<ns::String> name,
                                                 int32_t updateSequenceNum, bool defaultNotebook,
                                                 int64_t serviceCreated, int64_t serviceUpdated,
                                                 ns::Ref<EDAMPublishing> publishing, bool published,
                                                 ns::Ref<ns::String> stack)
{
    auto record = ns::make<EDAMNotebook>();
    EDAM_NOTEBOOK_FIELDS(EDAM_FIELD_ASSIGN)
    return record;
}

EDAM_RECORD_DEFINITIONS(EDAMNotebook)
