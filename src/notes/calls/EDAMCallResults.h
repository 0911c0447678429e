#pragma once

#include "notes/calls/EDAMExceptions.h"
#include "notes/records/EDAMAuthenticationResult.h"
#include "notes/records/EDAMField.h"
#include "notes/records/EDAMNote.h"
#include "notes/records/EDAMNotebook.h"

// The replies of the four calls: field 0 is the call's result, the others the exceptions it may raise.
// Struct names on the wire are the class names without "EDAM". A reply writes at most one field, the first
// that is set, and that one only when it holds a value: a reply carries a result or one exception.

#define EDAM_CHECK_VERSION_RESULT_FIELDS(X) X(0, edam::Bool, success, Success)

#define EDAM_AUTHENTICATE_RESULT_FIELDS(X)                                                                   \
    X(0, edam::Struct<EDAMAuthenticationResult>, success, Success)                                           \
    X(1, edam::Struct<EDAMUserException>, userException, UserException)                                      \
    X(2, edam::Struct<EDAMSystemException>, systemException, SystemException)

#define EDAM_LIST_NOTEBOOKS_RESULT_FIELDS(X)                                                                 \
    X(0, edam::StructList<EDAMNotebook>, success, Success)                                                   \
    X(1, edam::Struct<EDAMUserException>, userException, UserException)                                      \
    X(2, edam::Struct<EDAMSystemException>, systemException, SystemException)

#define EDAM_CREATE_NOTE_RESULT_FIELDS(X)                                                                    \
    X(0, edam::Struct<EDAMNote>, success, Success)                                                           \
    X(1, edam::Struct<EDAMUserException>, userException, UserException)                                      \
    X(2, edam::Struct<EDAMSystemException>, systemException, SystemException)                                \
    X(3, edam::Struct<EDAMNotFoundException>, notFoundException, NotFoundException)

class EDAMCheckVersion_result : public ns::Object
{
public:
    EDAMCheckVersion_result() = default;
    static ns::Ref<EDAMCheckVersion_result> initWithSuccess(bool success);
    EDAM_RECORD_OPERATIONS(EDAMCheckVersion_result, "CheckVersion_result")

    EDAM_FIELDS(EDAMCheckVersion_result, EDAM_CHECK_VERSION_RESULT_FIELDS)
};

class EDAMAuthenticate_result : public ns::Object
{
public:
    EDAMAuthenticate_result() = default;
    static ns::Ref<EDAMAuthenticate_result> initWithSuccess(ns::Ref<EDAMAuthenticationResult> success,
                                                            ns::Ref<EDAMUserException> userException,
                                                            ns::Ref<EDAMSystemException> systemException);
    EDAM_RECORD_OPERATIONS(EDAMAuthenticate_result, "Authenticate_result")

    EDAM_FIELDS(EDAMAuthenticate_result, EDAM_AUTHENTICATE_RESULT_FIELDS)
};

// Its result is an array of EDAMNotebook in the order of the reply.
class EDAMListNotebooks_result : public ns::Object
{
public:
    EDAMListNotebooks_result() = default;
    static ns::Ref<EDAMListNotebooks_result> initWithSuccess(ns::Ref<ns::Array> success,
                                                             ns::Ref<EDAMUserException> userException,
                                                             ns::Ref<EDAMSystemException> systemException);
    EDAM_RECORD_OPERATIONS(EDAMListNotebooks_result, "ListNotebooks_result")

    EDAM_FIELDS(EDAMListNotebooks_result, EDAM_LIST_NOTEBOOKS_RESULT_FIELDS)
};

class EDAMCreateNote_result : public ns::Object
{
public:
    EDAMCreateNote_result() = default;
    static ns::Ref<EDAMCreateNote_result> initWithSuccess(ns::Ref<EDAMNote> success,
                                                          ns::Ref<EDAMUserException> userException,
                                                          ns::Ref<EDAMSystemException> systemException,
                                                          ns::Ref<EDAMNotFoundException> notFoundException);
    EDAM_RECORD_OPERATIONS(EDAMCreateNote_result, "CreateNote_result")

    EDAM_FIELDS(EDAMCreateNote_result, EDAM_CREATE_NOTE_RESULT_FIELDS)
};
