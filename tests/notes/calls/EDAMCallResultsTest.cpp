// The reply records and the service's exceptions as records: what they write, read and say.

#include "notes/calls/EDAMCallResults.h"
#include "notes/calls/EDAMExceptions.h"

#include "../records/RecordTestSupport.h"

#include "NoteStore.h"
#include "UserStore.h"

#include "foundation/Array.h"
#include "foundation/Number.h"

#include <gtest/gtest.h>

using namespace notes_test;

namespace {

template <class Generated> Bytes generatedBytes(const Generated& record)
{
    Wire wire;
    record.write(wire.protocol.get());
    return wire.bytes();
}

ns::Ref<ns::String> text(const char* value)
{
    return ns::String::make(value);
}

} // namespace

TEST(EDAMCallResults, AReplyWritesOnlyItsFirstSetField)
{
    auto user = EDAMUserException::initWithErrorCode(8, text("authenticationToken"));
    auto system = EDAMSystemException::initWithErrorCode(1, text("down"));
    auto token = ns::make<EDAMAuthenticationResult>();
    token->setAuthenticationToken(text("t"));

    generated::UserStore_authenticate_result generatedUser;
    generatedUser.userException.__set_errorCode(8);
    generatedUser.userException.__set_parameter("authenticationToken");
    generatedUser.__isset.userException = true;
    generated::UserStore_authenticate_result generatedSuccess;
    generatedSuccess.success.__set_authenticationToken("t");
    generatedSuccess.__isset.success = true;

    struct Row
    {
        const char* name;
        Bytes ours;
        std::vector<std::pair<int, int>> fields;
    };
    auto onlyUser = ns::make<EDAMAuthenticate_result>();
    onlyUser->setSystemException(system);
    onlyUser->setUserException(user);
    auto nothingFirst = EDAMAuthenticate_result::initWithSuccess(nullptr, user, system);
    auto notebooks = ns::make<EDAMListNotebooks_result>();
    notebooks->setSuccess(ns::MutableArray::make({ns::make<EDAMNotebook>()}));
    notebooks->setSystemException(system);
    auto created = ns::make<EDAMCreateNote_result>();
    created->setNotFoundException(EDAMNotFoundException::initWithIdentifier(text("Note.guid"), nullptr));
    const Row rows[] = {
        {"success and both exceptions",
         bytesOf(*EDAMAuthenticate_result::initWithSuccess(token, user, system)),
         {{0, 12}}},
        {"both exceptions", bytesOf(*onlyUser), {{1, 12}}},
        {"first set field holds nothing", bytesOf(*nothingFirst), {}},
        {"list and an exception", bytesOf(*notebooks), {{0, 15}}},
        {"not found only", bytesOf(*created), {{3, 12}}},
        {"version false", bytesOf(*EDAMCheckVersion_result::initWithSuccess(false)), {{0, 2}}},
        {"nothing set", bytesOf(EDAMCheckVersion_result()), {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(fieldsOf(row.ours), row.fields);
    }
    // The same bytes as the generated service writes for one outcome.
    EXPECT_EQ(toHex(bytesOf(*onlyUser)), toHex(generatedBytes(generatedUser)));
    auto success = ns::make<EDAMAuthenticate_result>();
    success->setSuccess(token);
    EXPECT_EQ(toHex(bytesOf(*success)), toHex(generatedBytes(generatedSuccess)));
}

TEST(EDAMCallResults, ReadingTakesEveryFieldAndSkipsTheRest)
{
    generated::NoteStore_createNote_result reply;
    reply.success.__set_title("kept");
    reply.__isset.success = true;
    Bytes bytes = generatedBytes(reply);
    // A field of a later service after the result, and the result's id with another type before it.
    Bytes later = craft([](TProtocol& out) {
        out.writeStructBegin("CreateNote_result");
        out.writeFieldBegin("success", apache::thrift::protocol::T_STRING, 0);
        out.writeString(std::string("not a note"));
        out.writeFieldEnd();
        out.writeFieldBegin("later", apache::thrift::protocol::T_LIST, 7);
        out.writeListBegin(apache::thrift::protocol::T_I32, 2);
        out.writeI32(1);
        out.writeI32(2);
        out.writeListEnd();
        out.writeFieldEnd();
        out.writeFieldStop();
        out.writeStructEnd();
    });
    EDAMCreateNote_result ours;
    readInto(ours, later);
    EXPECT_FALSE(ours.successIsSet());
    readInto(ours, bytes);
    ASSERT_TRUE(ours.successIsSet());
    EXPECT_EQ(ours.success()->title()->str(), "kept");
    EXPECT_FALSE(ours.userExceptionIsSet());
    EXPECT_FALSE(ours.notFoundExceptionIsSet());
}

TEST(EDAMCallResults, ExceptionsDescribeThemselvesAndCarryTheirName)
{
    struct Row
    {
        const char* name;
        const ns::Exception& exception;
        std::string description;
        std::string exceptionName;
    };
    auto user = EDAMUserException::initWithErrorCode(2, text("Note.title"));
    auto system = EDAMSystemException::initWithErrorCode(4, text("oops"));
    auto notFound = EDAMNotFoundException::initWithIdentifier(text("Note.guid"), text("g-1"));
    EDAMUserException plain;
    const Row rows[] = {
        {"user", *user, "EDAMUserException(errorCode:2,parameter:\"Note.title\")", "EDAMUserException"},
        {"system", *system, "EDAMSystemException(errorCode:4,message:\"oops\")", "EDAMSystemException"},
        {"not found", *notFound, "EDAMNotFoundException(identifier:\"Note.guid\",key:\"g-1\")",
         "EDAMNotFoundException"},
        {"made empty", plain, "EDAMUserException(errorCode:0,parameter:\"(null)\")", "EDAMUserException"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(dynamic_cast<const ns::Object&>(row.exception).description(), row.description);
        EXPECT_EQ(row.exception.name(), row.exceptionName);
        EXPECT_EQ(row.exception.reason(), "unknown");
    }
    EXPECT_TRUE(user->errorCodeIsSet());
    EXPECT_FALSE(plain.errorCodeIsSet());
    EXPECT_FALSE(plain.parameterIsSet());
}

TEST(EDAMCallResults, ExceptionsArchiveTheirCodeAsAnIntegerOnlyWhenSet)
{
    RecordingCoder coder;
    EDAMSystemException().encodeWithCoder(coder);
    EXPECT_TRUE(coder.entries.empty());

    auto exception = EDAMSystemException::initWithErrorCode(3, text("m"));
    exception->encodeWithCoder(coder);
    EXPECT_EQ(coder.order, (std::vector<std::string>{"errorCode", "message"}));
    EXPECT_EQ(coder.entries.at("errorCode").operation, "Int");
    auto decoded = EDAMSystemException::initWithCoder(coder);
    EXPECT_EQ(decoded->description(), exception->description());
    EXPECT_EQ(decoded->name(), "EDAMSystemException");
}
