#include "FakeNoteService.h"

#include <thrift/protocol/TBinaryProtocol.h>
#include <thrift/transport/TBufferTransports.h>

namespace notes_test {

using apache::thrift::protocol::TBinaryProtocol;
using apache::thrift::transport::TMemoryBuffer;

generated::AuthenticationResult signedIn(const std::string& token, const std::string& shard)
{
    generated::User user;
    user.__set_id(7);
    user.__set_username("someone");
    user.__set_shardId(shard);
    generated::AuthenticationResult result;
    result.__set_currentTime(1000);
    result.__set_authenticationToken(token);
    result.__set_user(user);
    return result;
}

class FakeNoteService::UserStoreHandler : public generated::UserStoreIf
{
public:
    explicit UserStoreHandler(FakeNoteService& service) : m_service(service) {}

    bool checkVersion(const std::string& clientName, const int16_t major, const int16_t minor) override
    {
        m_service.record("checkVersion(" + clientName + "," + std::to_string(major) + "," +
                         std::to_string(minor) + ")");
        return m_service.checkVersion(clientName, major, minor);
    }
    void authenticate(generated::AuthenticationResult& result, const std::string& username,
                      const std::string& password, const std::string& consumerKey,
                      const std::string& consumerSecret) override
    {
        m_service.record("authenticate(" + username + "," + password + "," + consumerKey + "," +
                         consumerSecret + ")");
        result = m_service.authenticate(username, password, consumerKey, consumerSecret);
    }

private:
    FakeNoteService& m_service;
};

class FakeNoteService::NoteStoreHandler : public generated::NoteStoreIf
{
public:
    explicit NoteStoreHandler(FakeNoteService& service) : m_service(service) {}

    void listNotebooks(std::vector<generated::Notebook>& result, const std::string& token) override
    {
        m_service.record("listNotebooks(" + token + ")");
        result = m_service.listNotebooks(token);
    }
    void createNote(generated::Note& result, const std::string& token, const generated::Note& note) override
    {
        m_service.record("createNote(" + token + ")");
        {
            std::lock_guard lock(m_service.m_mutex);
            m_service.m_createdNotes.push_back(note);
        }
        result = m_service.createNote(token, note);
    }

private:
    FakeNoteService& m_service;
};

FakeNoteService::FakeNoteService()
{
    checkVersion = [](const std::string&, int16_t, int16_t) { return true; };
    authenticate = [](const std::string&, const std::string&, const std::string&, const std::string&) {
        return signedIn(Token, Shard);
    };
    listNotebooks = [](const std::string&) {
        std::vector<generated::Notebook> notebooks(2);
        notebooks[0].__set_guid("nb-1");
        notebooks[0].__set_name("First");
        notebooks[0].__set_defaultNotebook(false);
        notebooks[1].__set_guid("nb-2");
        notebooks[1].__set_name("Second");
        notebooks[1].__set_defaultNotebook(true);
        return notebooks;
    };
    createNote = [](const std::string&, const generated::Note& note) {
        generated::Note created = note;
        created.__set_guid("note-1");
        return created;
    };
    m_userStore = std::make_shared<UserStoreHandler>(*this);
    m_noteStore = std::make_shared<NoteStoreHandler>(*this);
}

FakeNoteService::~FakeNoteService()
{
    server.stop();
}

bool FakeNoteService::start()
{
    server.route("/edam/user", [this](const testkit::RecordedRequest& request) {
        generated::UserStoreProcessor processor(m_userStore);
        return process(processor, request);
    });
    server.route(std::string("/edam/note/") + Shard, [this](const testkit::RecordedRequest& request) {
        generated::NoteStoreProcessor processor(m_noteStore);
        return process(processor, request);
    });
    return server.start();
}

testkit::ScriptedReply FakeNoteService::process(apache::thrift::TProcessor& processor,
                                                const testkit::RecordedRequest& request)
{
    auto input =
        std::make_shared<TMemoryBuffer>(reinterpret_cast<uint8_t*>(const_cast<char*>(request.body.data())),
                                        static_cast<uint32_t>(request.body.size()), TMemoryBuffer::COPY);
    auto output = std::make_shared<TMemoryBuffer>();
    // The client writes the old header without the version word.
    auto in = std::make_shared<TBinaryProtocol>(input, 0, 0, false, false);
    auto out = std::make_shared<TBinaryProtocol>(output, 0, 0, false, strictReplies);
    processor.process(in, out, nullptr);
    testkit::ScriptedReply reply;
    reply.contentType = "application/x-thrift";
    reply.body = output->getBufferAsString();
    return reply;
}

void FakeNoteService::record(std::string call)
{
    std::lock_guard lock(m_mutex);
    m_calls.push_back(std::move(call));
}

std::vector<std::string> FakeNoteService::calls() const
{
    std::lock_guard lock(m_mutex);
    return m_calls;
}

std::vector<generated::Note> FakeNoteService::createdNotes() const
{
    std::lock_guard lock(m_mutex);
    return m_createdNotes;
}

} // namespace notes_test
