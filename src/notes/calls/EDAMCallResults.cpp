#include "notes/calls/EDAMCallResults.h"

#include "notes/records/EDAMRecordEngine.h"

namespace {

// A reply carries one outcome: the first set field is the only one written, and nothing when that field
// is set to no object.
template <class Record> void writeFirstSetField(const Record& record, edam::WireWriter& out)
{
    apache::thrift::protocol::TOutputRecursionTracker tracker(out.protocol());
    out.writeStructBegin(Record::structName);
    bool chosen = false;
    Record::forEachField(record, [&](const edam::FieldInfo& info, const auto& slot) {
        using Kind = edam::KindOf<decltype(slot)>;
        if (chosen || !slot.isSet)
            return;
        chosen = true;
        if (!slot.present())
            return;
        out.writeFieldBegin(info.name, static_cast<apache::thrift::protocol::TType>(Kind::wire), info.id);
        edam::writeValue<Kind>(out, slot.value, info.name);
        out.writeFieldEnd();
    });
    out.writeFieldStop();
    out.writeStructEnd();
}

} // namespace

// The record engine's operations, but writing only the reply's one outcome.
#define EDAM_CALL_RESULT_DEFINITIONS(Record) EDAM_RECORD_DEFINITIONS_WRITING(Record, writeFirstSetField)

ns::Ref<EDAMCheckVersion_result> EDAMCheckVersion_result::initWithSuccess(bool success)
{
    auto record = ns::make<EDAMCheckVersion_result>();
    EDAM_CHECK_VERSION_RESULT_FIELDS(EDAM_FIELD_ASSIGN)
    return record;
}

EDAM_CALL_RESULT_DEFINITIONS(EDAMCheckVersion_result)

ns::Ref<EDAMAuthenticate_result>
EDAMAuthenticate_result::initWithSuccess(ns::Ref<EDAMAuthenticationResult> success,
                                         ns::Ref<EDAMUserException> userException,
                                         ns::Ref<EDAMSystemException> systemException)
{
    auto record = ns::make<EDAMAuthenticate_result>();
    EDAM_AUTHENTICATE_RESULT_FIELDS(EDAM_FIELD_ASSIGN)
    return record;
}

EDAM_CALL_RESULT_DEFINITIONS(EDAMAuthenticate_result)

ns::Ref<EDAMListNotebooks_result>
EDAMListNotebooks_result::initWithSuccess(ns::Ref<ns::Array> success,
                                          ns::Ref<EDAMUserException> userException,
                                          ns::Ref<EDAMSystemException> systemException)
{
    auto record = ns::make<EDAMListNotebooks_result>();
    EDAM_LIST_NOTEBOOKS_RESULT_FIELDS(EDAM_FIELD_ASSIGN)
    return record;
}

EDAM_CALL_RESULT_DEFINITIONS(EDAMListNotebooks_result)

ns::Ref<EDAMCreateNote_result>
EDAMCreateNote_result::initWithSuccess(ns::Ref<EDAMNote> success, ns::Ref<EDAMUserException> userException,
                                       ns::Ref<EDAMSystemException> systemException,
                                       ns::Ref<EDAMNotFoundException> notFoundException)
{
    auto record = ns::make<EDAMCreateNote_result>();
    EDAM_CREATE_NOTE_RESULT_FIELDS(EDAM_FIELD_ASSIGN)
    return record;
}

EDAM_CALL_RESULT_DEFINITIONS(EDAMCreateNote_result)
