#pragma once

#include "notes/records/EDAMField.h"

#include <cstdint>

// Where a resource came from and how it was made. Struct "ResourceAttributes" on the wire.
#define EDAM_RESOURCE_ATTRIBUTES_FIELDS(X)                                                                   \
    X(1, edam::String, sourceURL, SourceURL)                                                                 \
    X(2, edam::I64, timestamp, Timestamp)                                                                    \
    X(3, edam::Double, latitude, Latitude)                                                                   \
    X(4, edam::Double, longitude, Longitude)                                                                 \
    X(5, edam::Double, altitude, Altitude)                                                                   \
    X(6, edam::String, cameraMake, CameraMake)                                                               \
    X(7, edam::String, cameraModel, CameraModel)                                                             \
    X(8, edam::Bool, clientWillIndex, ClientWillIndex)                                                       \
    X(9, edam::String, recoType, RecoType)                                                                   \
    X(10, edam::String, fileName, FileName)                                                                  \
    X(11, edam::Bool, attachment, Attachment)

class EDAMResourceAttributes : public ns::Object
{
public:
    EDAMResourceAttributes() = default;
    // Every field set, nothing for an object argument included.
    static ns::Ref<EDAMResourceAttributes>
    initWithSourceURL(ns::Ref<ns::String> sourceURL, int64_t timestamp, double latitude, double longitude,
                      double altitude, ns::Ref<ns::String> cameraMake, ns::Ref<ns::String> cameraModel,
                      bool clientWillIndex, ns::Ref<ns::String> recoType, ns::Ref<ns::String> fileName,
                      bool attachment);
    EDAM_RECORD_OPERATIONS(EDAMResourceAttributes, "ResourceAttributes")

    EDAM_FIELDS(EDAMResourceAttributes, EDAM_RESOURCE_ATTRIBUTES_FIELDS)
};
