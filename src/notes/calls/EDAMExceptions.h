#pragma once

#include "foundation/Exception.h"
#include "notes/records/EDAMField.h"

#include <cstdint>

// The three exceptions the note service declares. Each is a platform exception (named after its class,
// reason "unknown") that is also a record of two fields, read from a reply like any other record and
// thrown by the clients as it was read. Struct names on the wire keep the "EDAM" prefix.

// The error codes are the service's enumeration: i32 on the wire, an integer in an archive.
#define EDAM_USER_EXCEPTION_FIELDS(X)                                                                        \
    X(1, edam::Enum, errorCode, ErrorCode)                                                                   \
    X(2, edam::String, parameter, Parameter)

#define EDAM_SYSTEM_EXCEPTION_FIELDS(X)                                                                      \
    X(1, edam::Enum, errorCode, ErrorCode)                                                                   \
    X(2, edam::String, message, Message)

#define EDAM_NOT_FOUND_EXCEPTION_FIELDS(X)                                                                   \
    X(1, edam::String, identifier, Identifier)                                                               \
    X(2, edam::String, key, Key)

// What the caller did wrong: bad data, a wrong or expired sign-in, a quota.
class EDAMUserException : public ns::Exception, public ns::Object
{
public:
    EDAMUserException();
    static ns::Ref<EDAMUserException> initWithErrorCode(int32_t errorCode, ns::Ref<ns::String> parameter);
    EDAM_RECORD_OPERATIONS(EDAMUserException, "EDAMUserException")

    EDAM_FIELDS(EDAMUserException, EDAM_USER_EXCEPTION_FIELDS)
};

// What went wrong inside the service.
class EDAMSystemException : public ns::Exception, public ns::Object
{
public:
    EDAMSystemException();
    static ns::Ref<EDAMSystemException> initWithErrorCode(int32_t errorCode, ns::Ref<ns::String> message);
    EDAM_RECORD_OPERATIONS(EDAMSystemException, "EDAMSystemException")

    EDAM_FIELDS(EDAMSystemException, EDAM_SYSTEM_EXCEPTION_FIELDS)
};

// An object the call named does not exist.
class EDAMNotFoundException : public ns::Exception, public ns::Object
{
public:
    EDAMNotFoundException();
    static ns::Ref<EDAMNotFoundException> initWithIdentifier(ns::Ref<ns::String> identifier,
                                                             ns::Ref<ns::String> key);
    EDAM_RECORD_OPERATIONS(EDAMNotFoundException, "EDAMNotFoundException")

    EDAM_FIELDS(EDAMNotFoundException, EDAM_NOT_FOUND_EXCEPTION_FIELDS)
};
