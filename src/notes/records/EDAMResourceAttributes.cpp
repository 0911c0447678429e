#include "notes/records/EDAMResourceAttributes.h"

#include "notes/records/EDAMRecordEngine.h"

ns::Ref<EDAMResourceAttributes> EDAMResourceAttributes::initWithSourceURL(
    ns::Ref<ns::String> sourceURL, int64_t timestamp, double latitude, double longitude, double altitude,
    ns::Ref<ns::String> cameraMake, ns::Ref<ns::String> cameraModel, bool clientWillIndex,
    ns::Ref<ns::String> recoType, ns::Ref<ns::String> fileName, bool attachment)
{
    auto record = ns::make<EDAMResourceAttributes>();
    EDAM_RESOURCE_ATTRIBUTES_FIELDS(EDAM_FIELD_ASSIGN)
    return record;
}

EDAM_RECORD_DEFINITIONS(EDAMResourceAttributes)
