#pragma once

#include "notes/records/EDAMField.h"

#include <cstdint>

// Where, when and by whom a note was made. Struct "NoteAttributes" on the wire.
#define EDAM_NOTE_ATTRIBUTES_FIELDS(X)                                                                       \
    X(1, edam::I64, subjectDate, SubjectDate)                                                                \
    X(10, edam::Double, latitude, Latitude)                                                                  \
    X(11, edam::Double, longitude, Longitude)                                                                \
    X(12, edam::Double, altitude, Altitude)                                                                  \
    X(13, edam::String, author, Author)                                                                      \
    X(14, edam::String, source, Source)                                                                      \
    X(15, edam::String, sourceURL, SourceURL)                                                                \
    X(16, edam::String, sourceApplication, SourceApplication)

class EDAMNoteAttributes : public ns::Object
{
public:
    EDAMNoteAttributes() = default;
    // Every field set, nothing for an object argument included.
    static ns::Ref<EDAMNoteAttributes>
    initWithSubjectDate(int64_t subjectDate, double latitude, double longitude, double altitude,
                        ns::Ref<ns::String> author, ns::Ref<ns::String> source, ns::Ref<ns::String> sourceURL,
                        ns::Ref<ns::String> sourceApplication);
    EDAM_RECORD_OPERATIONS(EDAMNoteAttributes, "NoteAttributes")

    EDAM_FIELDS(EDAMNoteAttributes, EDAM_NOTE_ATTRIBUTES_FIELDS)
};
