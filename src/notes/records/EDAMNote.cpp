#include "notes/records/EDAMNote.h"

#include "notes/records/EDAMRecordEngine.h"

ns::Ref<EDAMNote> EDAMNote::initWithGuid(ns::Ref<ns::String> guid, ns::Ref<ns::String> title,
                                         ns::Ref<ns::String> content, ns::Ref<ns::Data> contentHash,
                                         int32_t contentLength, int64_t created, int64_t updated,
                                         int64_t deleted, bool active, int32_t updateSequenceNum,
                                         ns::Ref<ns::String> notebookGuid, ns::Ref<ns::Array> tagGuids,
                                         ns::Ref<ns::Array> resources, ns::Ref<EDAMNoteAttributes> attributes,
                                         ns::Ref<ns::Array> tagNames)
{
    auto record = ns::make<EDAMNote>();
    EDAM_NOTE_FIELDS(EDAM_FIELD_ASSIGN)
    return record;
}

EDAM_RECORD_DEFINITIONS(EDAMNote)
