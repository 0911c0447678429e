#pragma once

#include "testing/LoopbackServer.h"

#include "NoteStore.h"
#include "UserStore.h"

#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace notes_test {

// A stand-in for the note service on 127.0.0.1: a user store at "/edam/user" and the note store of the
// shard the sign-in names at "/edam/note/<shard>", each a processor that the Thrift compiler generated,
// answering over HTTP. What each call answers is scripted (throwing one of the generated exceptions makes
// the service send it); every call and every created note is recorded.
class FakeNoteService
{
public:
    FakeNoteService();
    ~FakeNoteService();

    // Serves on a free port; false when nothing could be bound.
    bool start();

    std::string userStoreURL() const { return server.url("/edam/user"); }
    // The prefix the user's shard id is appended to.
    std::string noteStoreURLBase() const { return server.url("/edam/note/"); }
    static constexpr const char* Shard = "s1";
    static constexpr const char* Token = "token-1";

    // Answers; the defaults sign anybody in (token Token, shard Shard), list two notebooks of which the
    // second ("nb-2") is the default, and create the note as sent with the guid "note-1".
    std::function<bool(const std::string& clientName, int16_t major, int16_t minor)> checkVersion;
    std::function<generated::AuthenticationResult(const std::string& username, const std::string& password,
                                                  const std::string& consumerKey,
                                                  const std::string& consumerSecret)>
        authenticate;
    std::function<std::vector<generated::Notebook>(const std::string& token)> listNotebooks;
    std::function<generated::Note(const std::string& token, const generated::Note& note)> createNote;

    // Replies start with the version word unless this is off.
    bool strictReplies = true;

    // "checkVersion(ShrareKit EDMA,1,16)", "authenticate(user,password,key,secret)",
    // "listNotebooks(token-1)", "createNote(token-1)"; in order.
    std::vector<std::string> calls() const;
    std::vector<generated::Note> createdNotes() const;

    testkit::LoopbackServer server;

private:
    class UserStoreHandler;
    class NoteStoreHandler;
    testkit::ScriptedReply process(apache::thrift::TProcessor& processor,
                                   const testkit::RecordedRequest& request);
    void record(std::string call);

    mutable std::mutex m_mutex;
    std::vector<std::string> m_calls;
    std::vector<generated::Note> m_createdNotes;
    std::shared_ptr<generated::UserStoreIf> m_userStore;
    std::shared_ptr<generated::NoteStoreIf> m_noteStore;
};

// A result a sign-in can answer: the token and a user on the shard.
generated::AuthenticationResult signedIn(const std::string& token, const std::string& shard);

} // namespace notes_test
