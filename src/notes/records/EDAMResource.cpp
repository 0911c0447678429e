#include "notes/records/EDAMResource.h"

#include "notes/records/EDAMRecordEngine.h"

ns::Ref<EDAMResource> EDAMResource::initWithGuid(ns::Ref<ns::String> guid, ns::Ref<ns::String> noteGuid,
                                                 ns::Ref<EDAMData> data, ns::Ref<ns::String> mime,
                                                 int16_t width, int16_t height, int16_t duration, bool active,
                                                 ns::Ref<EDAMData> recognition,
                                                 ns::Ref<EDAMResourceAttributes> attributes,
                                                 int32_t updateSequenceNum, ns::Ref<EDAMData> alternateData)
{
    auto record = ns::make<EDAMResource>();
    EDAM_RESOURCE_FIELDS(EDAM_FIELD_ASSIGN)
    return record;
}

EDAM_RECORD_DEFINITIONS(EDAMResource)
