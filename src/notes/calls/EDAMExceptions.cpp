#include "notes/calls/EDAMExceptions.h"

#include "notes/records/EDAMRecordEngine.h"

EDAMUserException::EDAMUserException() : ns::Exception("EDAMUserException", "unknown")
{
}

ns::Ref<EDAMUserException> EDAMUserException::initWithErrorCode(int32_t errorCode,
                                                                ns::Ref<ns::String> parameter)
{
    auto record = ns::make<EDAMUserException>();
    EDAM_USER_EXCEPTION_FIELDS(EDAM_FIELD_ASSIGN)
    return record;
}

EDAM_RECORD_DEFINITIONS(EDAMUserException)

EDAMSystemException::EDAMSystemException() : ns::Exception("EDAMSystemException", "unknown")
{
}

ns::Ref<EDAMSystemException> EDAMSystemException::initWithErrorCode(int32_t errorCode,
                                                                    ns::Ref<ns::String> message)
{
    auto record = ns::make<EDAMSystemException>();
    EDAM_SYSTEM_EXCEPTION_FIELDS(EDAM_FIELD_ASSIGN)
    return record;
}

EDAM_RECORD_DEFINITIONS(EDAMSystemException)

EDAMNotFoundException::EDAMNotFoundException() : ns::Exception("EDAMNotFoundException", "unknown")
{
}

ns::Ref<EDAMNotFoundException> EDAMNotFoundException::initWithIdentifier(ns::Ref<ns::String> identifier,
                                                                         ns::Ref<ns::String> key)
{
    auto record = ns::make<EDAMNotFoundException>();
    EDAM_NOT_FOUND_EXCEPTION_FIELDS(EDAM_FIELD_ASSIGN)
    return record;
}

EDAM_RECORD_DEFINITIONS(EDAMNotFoundException)
