// The two clients against a stand-in note service that the Thrift compiler generated, over HTTP on
// 127.0.0.1: what each call sends, and what each kind of reply makes of it.

#include "FakeNoteService.h"

#include "notes/calls/EDAMExceptions.h"
#include "notes/calls/EDAMNoteStoreClient.h"
#include "notes/calls/EDAMUserStoreClient.h"
#include "notes/records/EDAMAuthenticationResult.h"
#include "notes/records/EDAMNote.h"
#include "notes/records/EDAMNotebook.h"
#include "notes/records/EDAMUser.h"
#include "notes/transport/THTTPClient.h"

#include "foundation/Array.h"
#include "foundation/URL.h"
#include "testing/ClosedPort.h"

#include <thrift/TApplicationException.h>
#include <thrift/protocol/TBinaryProtocol.h>
#include <thrift/transport/TBufferTransports.h>
#include <thrift/transport/TTransportException.h>

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>

using apache::thrift::TApplicationException;
using apache::thrift::protocol::TBinaryProtocol;
using apache::thrift::protocol::TProtocol;
using apache::thrift::transport::TMemoryBuffer;
using apache::thrift::transport::TTransportException;
using notes_test::FakeNoteService;
using testkit::ScriptedReply;

namespace {

std::shared_ptr<TBinaryProtocol> protocolFor(const std::string& url)
{
    return std::make_shared<TBinaryProtocol>(THTTPClient::initWithURL(ns::URL::withString(url)), 0, 0, false,
                                             false);
}

struct Clients
{
    ns::Ref<EDAMUserStoreClient> userStore;
    ns::Ref<EDAMNoteStoreClient> noteStore;

    explicit Clients(const FakeNoteService& service)
        : userStore(EDAMUserStoreClient::initWithProtocol(protocolFor(service.userStoreURL()))),
          noteStore(EDAMNoteStoreClient::initWithProtocol(
              protocolFor(service.noteStoreURLBase() + FakeNoteService::Shard)))
    {
    }
};

// What a call gave: its result in short, or the exception it raised.
std::string outcome(const std::function<std::string()>& call)
{
    try {
        return call();
    } catch (const EDAMUserException& exception) {
        return exception.description();
    } catch (const EDAMSystemException& exception) {
        return exception.description();
    } catch (const EDAMNotFoundException& exception) {
        return exception.description();
    } catch (const TApplicationException& exception) {
        return "application " + std::to_string(exception.getType()) + ": " + exception.what();
    } catch (const TTransportException& exception) {
        return std::string("transport: ") + exception.what();
    }
}

// A reply written by hand, with or without the version word.
std::string craftedReply(const std::function<void(TProtocol&)>& write, bool strict = false)
{
    auto buffer = std::make_shared<TMemoryBuffer>();
    TBinaryProtocol protocol(buffer, 0, 0, false, strict);
    write(protocol);
    return buffer->getBufferAsString();
}

ScriptedReply thriftReply(std::string body)
{
    ScriptedReply reply = ScriptedReply::text(200, std::move(body));
    reply.contentType = "application/x-thrift";
    return reply;
}

// A reply message holding the fields the function writes.
std::string replyWith(const std::string& call, const std::function<void(TProtocol&)>& fields)
{
    return craftedReply([&](TProtocol& out) {
        out.writeMessageBegin(call, apache::thrift::protocol::T_REPLY, 0);
        out.writeStructBegin("result");
        fields(out);
        out.writeFieldStop();
        out.writeStructEnd();
        out.writeMessageEnd();
    });
}

void userExceptionField(TProtocol& out, int16_t id, int32_t code, const std::string& parameter)
{
    out.writeFieldBegin("userException", apache::thrift::protocol::T_STRUCT, id);
    out.writeStructBegin("EDAMUserException");
    out.writeFieldBegin("errorCode", apache::thrift::protocol::T_I32, 1);
    out.writeI32(code);
    out.writeFieldEnd();
    out.writeFieldBegin("parameter", apache::thrift::protocol::T_STRING, 2);
    out.writeString(parameter);
    out.writeFieldEnd();
    out.writeFieldStop();
    out.writeStructEnd();
    out.writeFieldEnd();
}

generated::EDAMUserException userException(int32_t code, const std::string& parameter)
{
    generated::EDAMUserException exception;
    exception.__set_errorCode(code);
    exception.__set_parameter(parameter);
    return exception;
}

std::string signIn(Clients& clients)
{
    auto result = clients.userStore->authenticate("someone", "secret", "key", "shh");
    if (!result)
        return "(none)";
    return result->authenticationToken()->str() + " on " + result->user()->shardId()->str();
}

} // namespace

TEST(EDAMClients, RequestsAreWhatGeneratedClientsWriteWithoutTheVersionWord)
{
    FakeNoteService service;
    ASSERT_TRUE(service.start());
    Clients clients(service);

    auto note = ns::make<EDAMNote>();
    note->setTitle(ns::String::make("Title"));
    note->setContent(ns::String::make("<en-note/>"));
    note->setCreated(1234000);
    note->setTagNames(ns::MutableArray::make({ns::String::make("a"), ns::String::make("b")}));
    generated::Note generatedNote;
    generatedNote.__set_title("Title");
    generatedNote.__set_content("<en-note/>");
    generatedNote.__set_created(1234000);
    generatedNote.__set_tagNames({"a", "b"});

    struct Row
    {
        const char* name;
        std::string path;
        std::function<void()> ours;
        std::function<void(TBinaryProtocol&)> generated;
    };
    const std::string noteStore = std::string("/edam/note/") + FakeNoteService::Shard;
    const Row rows[] = {
        {"checkVersion", "/edam/user", [&] { clients.userStore->checkVersion("ShrareKit EDMA", 1, 16); },
         [](TBinaryProtocol& p) {
             generated::UserStoreClient(std::shared_ptr<TProtocol>(&p, [](TProtocol*) {
             })).send_checkVersion("ShrareKit EDMA", 1, 16);
         }},
        {"authenticate", "/edam/user",
         [&] { clients.userStore->authenticate("user", "pass", "key", "secret"); },
         [](TBinaryProtocol& p) {
             generated::UserStoreClient(std::shared_ptr<TProtocol>(&p, [](TProtocol*) {
             })).send_authenticate("user", "pass", "key", "secret");
         }},
        {"listNotebooks", noteStore, [&] { clients.noteStore->listNotebooks(std::string("token-1")); },
         [](TBinaryProtocol& p) {
             generated::NoteStoreClient(std::shared_ptr<TProtocol>(&p, [](TProtocol*) {
             })).send_listNotebooks("token-1");
         }},
        {"createNote", noteStore, [&] { clients.noteStore->createNote(std::string("token-1"), note); },
         [&](TBinaryProtocol& p) {
             generated::NoteStoreClient(std::shared_ptr<TProtocol>(&p, [](TProtocol*) {
             })).send_createNote("token-1", generatedNote);
         }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        service.server.clearRequests();
        row.ours();
        auto request = service.server.lastRequest();
        ASSERT_TRUE(request);
        EXPECT_EQ(request->path, row.path);
        auto expected = std::make_shared<TMemoryBuffer>();
        TBinaryProtocol protocol(expected, 0, 0, false, false);
        row.generated(protocol);
        EXPECT_EQ(request->body, expected->getBufferAsString());
        // The old header: the name's length first, no version word.
        ASSERT_GE(request->body.size(), 4u);
        EXPECT_EQ(request->body[0], '\0');
    }
    EXPECT_EQ(service.calls(), (std::vector<std::string>{"checkVersion(ShrareKit EDMA,1,16)",
                                                         "authenticate(user,pass,key,secret)",
                                                         "listNotebooks(token-1)", "createNote(token-1)"}));
    ASSERT_EQ(service.createdNotes().size(), 1u);
    EXPECT_EQ(service.createdNotes()[0], generatedNote);
}

TEST(EDAMClients, AbsentStringArgumentsAreLeftOut)
{
    FakeNoteService service;
    ASSERT_TRUE(service.start());
    Clients clients(service);
    EXPECT_EQ(outcome([&] { return signIn(clients); }), "token-1 on s1");
    clients.userStore->authenticate(std::nullopt, "pass", std::nullopt, "secret");
    clients.noteStore->createNote(std::nullopt, nullptr);

    auto requests = service.server.requests();
    ASSERT_EQ(requests.size(), 3u);
    auto expected = std::make_shared<TMemoryBuffer>();
    TBinaryProtocol protocol(expected, 0, 0, false, false);
    std::string password = "pass";
    std::string secret = "secret";
    protocol.writeMessageBegin("authenticate", apache::thrift::protocol::T_CALL, 0);
    protocol.writeStructBegin("authenticate_args");
    protocol.writeFieldBegin("password", apache::thrift::protocol::T_STRING, 2);
    protocol.writeString(password);
    protocol.writeFieldEnd();
    protocol.writeFieldBegin("consumerSecret", apache::thrift::protocol::T_STRING, 4);
    protocol.writeString(secret);
    protocol.writeFieldEnd();
    protocol.writeFieldStop();
    protocol.writeStructEnd();
    protocol.writeMessageEnd();
    EXPECT_EQ(requests[1].body, expected->getBufferAsString());
    // createNote with neither argument: the header and an empty struct.
    EXPECT_EQ(requests[2].body, std::string("\0\0\0\x0a"
                                            "createNote\x01\0\0\0\0\0",
                                            20));
}

TEST(EDAMClients, EachKindOfReplyGivesItsResultOrRaises)
{
    auto refusedWith = [](int32_t code, const char* parameter) {
        return [=](FakeNoteService& service) {
            service.authenticate = [=](const std::string&, const std::string&, const std::string&,
                                       const std::string&) -> generated::AuthenticationResult {
                throw ::userException(code, parameter);
            };
        };
    };
    auto signInCall = [](Clients& clients) { return signIn(clients); };
    auto crafted = [](const char* path, std::string body) {
        return [=](FakeNoteService& service) { service.server.route(path, thriftReply(body)); };
    };
    struct Row
    {
        const char* name;
        std::function<void(FakeNoteService&)> script;
        std::function<std::string(Clients&)> call;
        std::string expected;
    };
    const Row rows[] = {
        {"version accepted", [](FakeNoteService&) {},
         [](Clients& c) { return c.userStore->checkVersion("ShrareKit EDMA", 1, 16) ? "yes" : "no"; }, "yes"},
        {"version refused",
         [](FakeNoteService& s) {
             s.checkVersion = [](const std::string&, int16_t, int16_t) { return false; };
         },
         [](Clients& c) { return c.userStore->checkVersion("ShrareKit EDMA", 1, 16) ? "yes" : "no"; }, "no"},
        {"signed in", [](FakeNoteService&) {}, signInCall, "token-1 on s1"},
        {"signed in, reply without the version word", [](FakeNoteService& s) { s.strictReplies = false; },
         signInCall, "token-1 on s1"},
        {"user exception 8", refusedWith(8, "authenticationToken"), signInCall,
         "EDAMUserException(errorCode:8,parameter:\"authenticationToken\")"},
        {"user exception 9", refusedWith(9, "authenticationToken"), signInCall,
         "EDAMUserException(errorCode:9,parameter:\"authenticationToken\")"},
        {"user exception 2", refusedWith(2, "Note.title"), signInCall,
         "EDAMUserException(errorCode:2,parameter:\"Note.title\")"},
        {"user exception 6", refusedWith(6, "Note"), signInCall,
         "EDAMUserException(errorCode:6,parameter:\"Note\")"},
        {"system exception",
         [](FakeNoteService& s) {
             s.authenticate = [](const std::string&, const std::string&, const std::string&,
                                 const std::string&) -> generated::AuthenticationResult {
                 generated::EDAMSystemException exception;
                 exception.__set_errorCode(1);
                 exception.__set_message("down for maintenance");
                 throw exception;
             };
         },
         signInCall, "EDAMSystemException(errorCode:1,message:\"down for maintenance\")"},
        {"application exception from the service",
         [](FakeNoteService& s) {
             s.authenticate = [](const std::string&, const std::string&, const std::string&,
                                 const std::string&) -> generated::AuthenticationResult {
                 throw std::runtime_error("the store %@ is closed");
             };
         },
         signInCall, "application 0: the store %@ is closed"},
        {"application exception of a given type",
         crafted("/edam/user",
                 craftedReply(
                     [](TProtocol& out) {
                         out.writeMessageBegin("authenticate", apache::thrift::protocol::T_EXCEPTION, 0);
                         TApplicationException(TApplicationException::INTERNAL_ERROR, "oops").write(&out);
                         out.writeMessageEnd();
                     },
                     true)),
         signInCall, "application 6: oops"},
        {"missing result of checkVersion",
         crafted("/edam/user", replyWith("checkVersion", [](TProtocol&) {})),
         [](Clients& c) { return c.userStore->checkVersion("x", 1, 16) ? "yes" : "no"; },
         "application 5: checkVersion failed: unknown result"},
        {"missing result of authenticate",
         crafted("/edam/user", replyWith("authenticate", [](TProtocol&) {})), signInCall,
         "application 5: authenticate failed: unknown result"},
        {"missing result of listNotebooks",
         crafted("/edam/note/s1", replyWith("listNotebooks", [](TProtocol&) {})),
         [](Clients& c) { return std::to_string(c.noteStore->listNotebooks(std::string("t"))->count()); },
         "application 5: listNotebooks failed: unknown result"},
        {"missing result of createNote", crafted("/edam/note/s1", replyWith("createNote", [](TProtocol&) {})),
         [](Clients& c) {
             return c.noteStore->createNote(std::string("t"), ns::make<EDAMNote>())->description();
         },
         "application 5: createNote failed: unknown result"},
        {"a message of a kind no protocol names is read as a reply",
         crafted("/edam/user", craftedReply([](TProtocol& out) {
                     // The header as an old-style peer writes it, with kind 9.
                     out.writeString(std::string("authenticate"));
                     out.writeByte(9);
                     out.writeI32(0);
                     out.writeStructBegin("result");
                     out.writeFieldStop();
                     out.writeStructEnd();
                 })),
         signInCall, "application 5: authenticate failed: unknown result"},
        {"a result of the wrong type is passed over",
         crafted("/edam/user",
                 replyWith("authenticate",
                           [](TProtocol& out) {
                               out.writeFieldBegin("success", apache::thrift::protocol::T_I32, 0);
                               out.writeI32(1);
                               out.writeFieldEnd();
                               out.writeFieldBegin("later", apache::thrift::protocol::T_STRING, 9);
                               out.writeString(std::string("unknown"));
                               out.writeFieldEnd();
                               userExceptionField(out, 1, 3, "later");
                           })),
         signInCall, "EDAMUserException(errorCode:3,parameter:\"later\")"},
        {"a result wins over an exception beside it",
         crafted("/edam/user", replyWith("checkVersion",
                                         [](TProtocol& out) {
                                             userExceptionField(out, 1, 8, "x");
                                             out.writeFieldBegin("success", apache::thrift::protocol::T_BOOL,
                                                                 0);
                                             out.writeBool(true);
                                             out.writeFieldEnd();
                                         })),
         [](Clients& c) { return c.userStore->checkVersion("x", 1, 16) ? "yes" : "no"; }, "yes"},
        {"the user exception comes before the system exception",
         crafted("/edam/note/s1", replyWith("createNote",
                                            [](TProtocol& out) {
                                                out.writeFieldBegin("notFoundException",
                                                                    apache::thrift::protocol::T_STRUCT, 3);
                                                out.writeStructBegin("EDAMNotFoundException");
                                                out.writeFieldStop();
                                                out.writeStructEnd();
                                                out.writeFieldEnd();
                                                out.writeFieldBegin("systemException",
                                                                    apache::thrift::protocol::T_STRUCT, 2);
                                                out.writeStructBegin("EDAMSystemException");
                                                out.writeFieldStop();
                                                out.writeStructEnd();
                                                out.writeFieldEnd();
                                                userExceptionField(out, 1, 5, "Note.content");
                                            })),
         [](Clients& c) {
             return c.noteStore->createNote(std::string("t"), ns::make<EDAMNote>())->description();
         },
         "EDAMUserException(errorCode:5,parameter:\"Note.content\")"},
        {"notebooks in the service's order", [](FakeNoteService&) {},
         [](Clients& c) {
             std::string names;
             auto notebooks = c.noteStore->listNotebooks(std::string(FakeNoteService::Token));
             for (std::size_t i = 0; i < notebooks->count(); ++i) {
                 auto notebook = ns::cast<EDAMNotebook>(notebooks->objectAtIndex(i));
                 names += notebook->guid()->str() + (notebook->defaultNotebook() ? "* " : " ");
             }
             return names;
         },
         "nb-1 nb-2* "},
        {"no notebooks",
         [](FakeNoteService& s) {
             s.listNotebooks = [](const std::string&) { return std::vector<generated::Notebook>(); };
         },
         [](Clients& c) { return std::to_string(c.noteStore->listNotebooks(std::string("t"))->count()); },
         "0"},
        {"note created", [](FakeNoteService&) {},
         [](Clients& c) {
             auto note = ns::make<EDAMNote>();
             note->setTitle(ns::String::make("T"));
             auto created = c.noteStore->createNote(std::string("t"), note);
             return created->guid()->str() + " " + created->title()->str();
         },
         "note-1 T"},
        {"note store's not-found exception",
         [](FakeNoteService& s) {
             s.createNote = [](const std::string&, const generated::Note&) -> generated::Note {
                 generated::EDAMNotFoundException exception;
                 exception.__set_identifier("Note.notebookGuid");
                 exception.__set_key("nb-9");
                 throw exception;
             };
         },
         [](Clients& c) {
             return c.noteStore->createNote(std::string("t"), ns::make<EDAMNote>())->description();
         },
         "EDAMNotFoundException(identifier:\"Note.notebookGuid\",key:\"nb-9\")"},
        {"note store's user exception",
         [](FakeNoteService& s) {
             s.listNotebooks = [](const std::string&) -> std::vector<generated::Notebook> {
                 throw userException(9, "authenticationToken");
             };
         },
         [](Clients& c) { return std::to_string(c.noteStore->listNotebooks(std::string("t"))->count()); },
         "EDAMUserException(errorCode:9,parameter:\"authenticationToken\")"},
        {"HTTP 500", [](FakeNoteService& s) { s.server.route("/edam/user", ScriptedReply::text(500, "no")); },
         signInCall, "transport: Bad response from HTTP server: 500"},
        {"a reply cut short",
         crafted("/edam/user", replyWith("authenticate", [](TProtocol&) {}).substr(0, 10)), signInCall,
         "transport: No more data to read."},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        FakeNoteService service;
        ASSERT_TRUE(service.start());
        row.script(service);
        Clients clients(service);
        EXPECT_EQ(outcome([&] { return row.call(clients); }), row.expected);
    }
}

TEST(EDAMClients, ARefusedConnectionRaisesTheTransportsException)
{
    testkit::ClosedPort closed;
    ASSERT_NE(closed.port(), 0);
    auto client = EDAMUserStoreClient::initWithProtocol(
        protocolFor("http://127.0.0.1:" + std::to_string(closed.port()) + "/edam/user"));
    EXPECT_EQ(outcome([&] { return client->checkVersion("x", 1, 16) ? "yes" : "no"; }),
              "transport: Could not make HTTP request");
}

TEST(EDAMClients, RaisedServiceExceptionsAreNamedAfterTheirClass)
{
    FakeNoteService service;
    ASSERT_TRUE(service.start());
    service.authenticate = [](const std::string&, const std::string&, const std::string&,
                              const std::string&) -> generated::AuthenticationResult {
        throw userException(8, "authenticationToken");
    };
    Clients clients(service);
    try {
        signIn(clients);
        ADD_FAILURE() << "nothing raised";
    } catch (const ns::Exception& exception) {
        EXPECT_EQ(exception.name(), "EDAMUserException");
        EXPECT_EQ(exception.reason(), "unknown");
        auto* user = dynamic_cast<const EDAMUserException*>(&exception);
        ASSERT_NE(user, nullptr);
        EXPECT_EQ(user->errorCode(), 8);
        EXPECT_TRUE(user->errorCodeIsSet());
        EXPECT_EQ(user->parameter()->str(), "authenticationToken");
    }
}
