#pragma once

#include "notes/records/EDAMField.h"

#include <cstdint>

// How a notebook is published. Struct "Publishing" on the wire.
#define EDAM_PUBLISHING_FIELDS(X)                                                                            \
    X(1, edam::String, uri, Uri)                                                                             \
    X(2, edam::Enum, order, Order)                                                                           \
    X(3, edam::Bool, ascending, Ascending)                                                                   \
    X(4, edam::String, publicDescription, PublicDescription)

class EDAMPublishing : public ns::Object
{
public:
    EDAMPublishing() = default;
    // Every field set, nothing for an object argument included.
    static ns::Ref<EDAMPublishing> initWithUri(ns::Ref<ns::String> uri, int32_t order, bool ascending,
                                               ns::Ref<ns::String> publicDescription);
    EDAM_RECORD_OPERATIONS(EDAMPublishing, "Publishing")

    EDAM_FIELDS(EDAMPublishing, EDAM_PUBLISHING_FIELDS)
};
