#include "notes/records/EDAMNoteAttributes.h"

#include "notes/records/EDAMRecordEngine.h"

ns::Ref<EDAMNoteAttributes> EDAMNoteAttributes::initWithSubjectDate(
    int64_t subjectDate, double latitude, double longitude, double altitude, ns::Ref<ns::String> author,
    ns::Ref<ns::String> source, ns::Ref<ns::String> sourceURL, ns::Ref<ns::String> sourceApplication)
{
    auto record = ns::make<EDAMNoteAttributes>();
    EDAM_NOTE_ATTRIBUTES_FIELDS(EDAM_FIELD_ASSIGN)
    return record;
}

EDAM_RECORD_DEFINITIONS(EDAMNoteAttributes)
