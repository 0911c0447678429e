#pragma once

#include "notes/records/EDAMData.h"
#include "notes/records/EDAMField.h"
#include "notes/records/EDAMResourceAttributes.h"

#include <cstdint>

// A file or image attached to a note, with its bytes in data blocks. Struct "Resource" on the wire.
#define EDAM_RESOURCE_FIELDS(X)                                                                              \
    X(1, edam::String, guid, Guid)                                                                           \
    X(2, edam::String, noteGuid, NoteGuid)                                                                   \
    X(3, edam::Struct<EDAMData>, data, Data)                                                                 \
    X(4, edam::String, mime, Mime)                                                                           \
    X(5, edam::I16, width, Width)                                                                            \
    X(6, edam::I16, height, Height)                                                                          \
    X(7, edam::I16, duration, Duration)                                                                      \
    X(8, edam::Bool, active, Active)                                                                         \
    X(9, edam::Struct<EDAMData>, recognition, Recognition)                                                   \
    X(11, edam::Struct<EDAMResourceAttributes>, attributes, Attributes)                                      \
    X(12, edam::I32, updateSequenceNum, UpdateSequenceNum)                                                   \
    X(13, edam::Struct<EDAMData>, alternateData, AlternateData)

class EDAMResource : public ns::Object
{
public:
    EDAMResource() = default;
    // Every field set, nothing for an object argument included.
    static ns::Ref<EDAMResource> initWithGuid(ns::Ref<ns::String> guid, ns::Ref<ns::String> noteGuid,
                                              ns::Ref<EDAMData> data, ns::Ref<ns::String> mime, int16_t width,
                                              int16_t height, int16_t duration, bool active,
                                              ns::Ref<EDAMData> recognition,
                                              ns::Ref<EDAMResourceAttributes> attributes,
                                              int32_t updateSequenceNum, ns::Ref<EDAMData> alternateData);
    EDAM_RECORD_OPERATIONS(EDAMResource, "Resource")

    EDAM_FIELDS(EDAMResource, EDAM_RESOURCE_FIELDS)
};
