#pragma once

#include "notes/records/EDAMField.h"

#include <cstdint>

// A block of bytes with its size and hash, as a resource carries them. Struct "Data" on the wire.
#define EDAM_DATA_FIELDS(X)                                                                                  \
    X(1, edam::Binary, bodyHash, BodyHash)                                                                   \
    X(2, edam::I32, size, Size)                                                                              \
    X(3, edam::Binary, body, Body)

class EDAMData : public ns::Object
{
public:
    EDAMData() = default;
    // Every field set, nothing for an object argument included.
    static ns::Ref<EDAMData> initWithBodyHash(ns::Ref<ns::Data> bodyHash, int32_t size,
                                              ns::Ref<ns::Data> body);
    EDAM_RECORD_OPERATIONS(EDAMData, "Data")

    EDAM_FIELDS(EDAMData, EDAM_DATA_FIELDS)
};
