#pragma once

#include "notes/records/EDAMField.h"
#include "notes/records/EDAMNoteAttributes.h"
#include "notes/records/EDAMResource.h"

#include <cstdint>

// A note as the client sends it to the note service and receives it back. Struct "Note" on the wire.
#define EDAM_NOTE_FIELDS(X)                                                                                  \
    X(1, edam::String, guid, Guid)                                                                           \
    X(2, edam::String, title, Title)                                                                         \
    X(3, edam::String, content, Content)                                                                     \
    X(4, edam::Binary, contentHash, ContentHash)                                                             \
    X(5, edam::I32, contentLength, ContentLength)                                                            \
    X(6, edam::I64, created, Created)                                                                        \
    X(7, edam::I64, updated, Updated)                                                                        \
    X(8, edam::I64, deleted, Deleted)                                                                        \
    X(9, edam::Bool, active, Active)                                                                         \
    X(10, edam::I32, updateSequenceNum, UpdateSequenceNum)                                                   \
    X(11, edam::String, notebookGuid, NotebookGuid)                                                          \
    X(12, edam::StringList, tagGuids, TagGuids)                                                              \
    X(13, edam::StructList<EDAMResource>, resources, Resources)                                              \
    X(14, edam::Struct<EDAMNoteAttributes>, attributes, Attributes)                                          \
    X(15, edam::StringList, tagNames, TagNames)

class EDAMNote : public ns::Object
{
public:
    EDAMNote() = default;
    // Every field set, nothing for an object argument included.
    static ns::Ref<EDAMNote>
    initWithGuid(ns::Ref<ns::String> guid, ns::Ref<ns::String> title, ns::Ref<ns::String> content,
                 ns::Ref<ns::Data> contentHash, int32_t contentLength, int64_t created, int64_t updated,
                 int64_t deleted, bool active, int32_t updateSequenceNum, ns::Ref<ns::String> notebookGuid,
                 ns::Ref<ns::Array> tagGuids, ns::Ref<ns::Array> resources,
                 ns::Ref<EDAMNoteAttributes> attributes, ns::Ref<ns::Array> tagNames);
    EDAM_RECORD_OPERATIONS(EDAMNote, "Note")

    EDAM_FIELDS(EDAMNote, EDAM_NOTE_FIELDS)
};
