#pragma once

#include "notes/records/EDAMField.h"
#include "notes/records/EDAMPublishing.h"

#include <cstdint>

// A notebook of the user's, as the list-notebooks call returns it. Struct "Notebook" on the wire.
#define EDAM_NOTEBOOK_FIELDS(X)                                                                              \
    X(1, edam::String, guid, Guid)                                                                           \
    X(2, edam::String, name, Name)                                                                           \
    X(5, edam::I32, updateSequenceNum, UpdateSequenceNum)                                                    \
    X(6, edam::Bool, defaultNotebook, DefaultNotebook)                                                       \
    X(7, edam::I64, serviceCreated, ServiceCreated)                                                          \
    X(8, edam::I64, serviceUpdated, ServiceUpdated)                                                          \
    X(10, edam::Struct<EDAMPublishing>, publishing, Publishing)                                              \
    X(11, edam::Bool, published, Published)                                                                  \
    X(12, edam::String, stack, Stack)

class EDAMNotebook : public ns::Object
{
public:
    EDAMNotebook() = default;
    // Every field set, nothing for an object argument included.
    static ns::Ref<EDAMNotebook> initWithGuid(ns::Ref<ns::String> guid, ns::Ref<ns::String> name,
                                              int32_t updateSequenceNum, bool defaultNotebook,
                                              int64_t serviceCreated, int64_t serviceUpdated,
                                              ns::Ref<EDAMPublishing> publishing, bool published,
                                              ns::Ref<ns::String> stack);
    EDAM_RECORD_OPERATIONS(EDAMNotebook, "Notebook")

    EDAM_FIELDS(EDAMNotebook, EDAM_NOTEBOOK_FIELDS)
};
