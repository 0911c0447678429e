// The note-service sharer's sign-in and send as they run on its background thread, against the stand-in
// service on 127.0.0.1 named by the configuration.

#include "FakeNoteService.h"

#include "notes/sharer/SHKEvernoteCalls.h"

#include "foundation/Clock.h"
#include "foundation/Data.h"
#include "foundation/Dictionary.h"
#include "foundation/RunLoop.h"
#include "foundation/String.h"
#include "foundation/URL.h"
#include "sharing/core/DefaultSHKConfigurator.h"
#include "sharing/core/SHKConfiguration.h"
#include "sharing/core/SHKItem.h"
#include "system/Digest.h"
#include "testing/ClosedPort.h"
#include "testing/TemporaryHome.h"
#include "uikit/AlertView.h"
#include "uikit/Application.h"
#include "uikit/Window.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

using notes_test::FakeNoteService;

namespace {

class SHKEvernoteCallsTest : public ::testing::Test
{
protected:
    SHKEvernoteCallsTest()
    {
        ns::RunLoop::main();
        ui::Application::sharedApplication().reset();
        ui::AlertView::clearShownAlerts();
        window = ui::Window::create();
        window->makeKeyAndVisible();
        EXPECT_TRUE(service.start());
        configure(service.userStoreURL(), service.noteStoreURLBase());
    }
    ~SHKEvernoteCallsTest() override
    {
        SHKConfiguration::reset();
        ui::Application::sharedApplication().reset();
    }

    void configure(const std::string& userStore, const std::string& noteStoreBase)
    {
        SHKConfiguration::reset();
        auto configurator = DefaultSHKConfigurator::create();
        configurator->setValueForKey("evernoteUserStoreURL", ns::String::make(userStore));
        configurator->setValueForKey("evernoteNetStoreURLBase", ns::String::make(noteStoreBase));
        configurator->setValueForKey("evernoteConsumerKey", ns::String::make("key"));
        configurator->setValueForKey("evernoteSecret", ns::String::make("secret"));
        SHKConfiguration::sharedInstanceWithConfigurator(configurator);
    }

    // Runs the work on a thread of its own, as the sharer does, then what it left for the main thread.
    ns::Ref<ns::Dictionary> offMainThread(const std::function<ns::Ref<ns::Dictionary>()>& work)
    {
        ns::Ref<ns::Dictionary> result;
        std::thread thread([&] { result = work(); });
        thread.join();
        ns::RunLoop::main().runDue();
        return result;
    }

    std::string summary(const ns::Ref<ns::Dictionary>& result)
    {
        std::string out;
        for (const char* key : {"success", "shouldRelogin", "errorMessage"})
            if (auto value = result->stringForKey(key))
                out += std::string(out.empty() ? "" : " | ") + *value;
        return out;
    }

    std::vector<std::string> alertTitles()
    {
        std::vector<std::string> titles;
        for (const auto& alert : ui::AlertView::shownAlerts())
            titles.push_back(alert->title().value_or("") + ": " + alert->message().value_or(""));
        // The user closes them, as the alert's only button does.
        for (const auto& alert : ui::AlertView::shownAlerts())
            alert->dismissWithClickedButtonIndex(0, false);
        ui::AlertView::clearShownAlerts();
        return titles;
    }

    ns::ManualClockScope clock;
    testkit::TemporaryHome home;
    ns::Ref<ui::Window> window;
    FakeNoteService service;
};

generated::EDAMUserException userException(int32_t code, const std::string& parameter)
{
    generated::EDAMUserException exception;
    exception.__set_errorCode(code);
    exception.__set_parameter(parameter);
    return exception;
}

} // namespace

TEST_F(SHKEvernoteCallsTest, ASendSignsInFindsTheNotebookAndCreatesTheNote)
{
    auto item = SHKItem::URL(ns::URL::withString("http://example.com/?a=1&b=2"), std::string("Fish & Chips"));
    item->setTags(std::string("one  two"));
    auto result =
        offMainThread([&] { return SHKEvernoteCalls::sendResult(item, "someone", "pw", 1300000000.9); });
    EXPECT_EQ(summary(result), "1 | 0 | ");
    EXPECT_EQ(service.calls(), (std::vector<std::string>{"checkVersion(ShrareKit EDMA,1,16)",
                                                         "authenticate(someone,pw,key,secret)",
                                                         "listNotebooks(token-1)", "createNote(token-1)"}));
    auto notes = service.createdNotes();
    ASSERT_EQ(notes.size(), 1u);
    const auto& note = notes[0];
    EXPECT_EQ(note.title, "Fish & Chips");
    EXPECT_EQ(note.notebookGuid, "nb-2");
    EXPECT_EQ(note.tagNames, (std::vector<std::string>{"one", "two"}));
    EXPECT_EQ(note.created, 1300000000000);
    EXPECT_EQ(note.attributes.sourceURL, "http://example.com/?a=1&b=2");
    EXPECT_NE(note.content.find("<h1><a href=\"http://example.com/?a=1&amp;b=2\">Fish &amp; Chips</a></h1>"),
              std::string::npos);
    EXPECT_TRUE(alertTitles().empty());
}

TEST_F(SHKEvernoteCallsTest, ResourcesCarryTheMD5OfTheBytesActuallySent)
{
    auto bytes = ns::Data::withString(std::string("\x89PNG not really\0 but bytes", 26));
    auto item =
        SHKItem::file(bytes, std::string("x.bin"), std::string("application/octet-stream"), std::string("F"));
    auto result = offMainThread([&] { return SHKEvernoteCalls::sendResult(item, "u", "p", 5); });
    EXPECT_EQ(summary(result), "1 | 0 | ");
    auto notes = service.createdNotes();
    ASSERT_EQ(notes.size(), 1u);
    ASSERT_EQ(notes[0].resources.size(), 1u);
    const auto& sent = notes[0].resources[0];
    EXPECT_EQ(sent.data.body, std::string(bytes->view()));
    std::string hash = cc::hex(cc::md5(sent.data.body));
    EXPECT_EQ(cc::hex(cc::Bytes(sent.data.bodyHash.begin(), sent.data.bodyHash.end())), hash);
    EXPECT_EQ(sent.data.size, 26);
    EXPECT_NE(notes[0].content.find("<en-media type=\"application/octet-stream\" hash=\"" + hash + "\"/>"),
              std::string::npos);
}

TEST_F(SHKEvernoteCallsTest, EachFailureOfASendGivesItsResult)
{
    auto refuse = [](int32_t code, const char* parameter) {
        return [=](FakeNoteService& s) {
            s.createNote = [=](const std::string&, const generated::Note&) -> generated::Note {
                throw userException(code, parameter);
            };
        };
    };
    struct Row
    {
        const char* name;
        std::function<void(FakeNoteService&)> script;
        std::string summary;
        std::vector<std::string> alerts = {};
    };
    const Row rows[] = {
        {"invalid auth", refuse(8, "authenticationToken"),
         "0 | 1 | Evernote Error on authenticationToken: Invalid Auth"},
        {"auth expired", refuse(9, "authenticationToken"),
         "0 | 1 | Evernote Error on authenticationToken: Auth Expired"},
        {"invalid format", refuse(2, "Note.title"), "0 | 0 | Evernote Error on Note.title: Invalid format"},
        {"code 6", refuse(6, "Note"), "0 | 0 | Evernote Error on Note: Unknown error from Evernote"},
        {"expired sign-in while listing notebooks",
         [](FakeNoteService& s) {
             s.listNotebooks = [](const std::string&) -> std::vector<generated::Notebook> {
                 throw userException(9, "authenticationToken");
             };
         },
         "0 | 1 | Evernote Error on authenticationToken: Auth Expired"},
        {"wrong password at the sign-in",
         [](FakeNoteService& s) {
             s.authenticate = [](const std::string&, const std::string&, const std::string&,
                                 const std::string&) -> generated::AuthenticationResult {
                 throw userException(2, "password");
             };
         },
         "0 | 0 | Evernote Error on password: Invalid format"},
        {"system exception",
         [](FakeNoteService& s) {
             s.createNote = [](const std::string&, const generated::Note&) -> generated::Note {
                 generated::EDAMSystemException exception;
                 exception.__set_errorCode(1);
                 throw exception;
             };
         },
         "0 | 0 | "},
        {"not found",
         [](FakeNoteService& s) {
             s.createNote = [](const std::string&, const generated::Note&) -> generated::Note {
                 throw generated::EDAMNotFoundException();
             };
         },
         "0 | 0 | "},
        {"application exception",
         [](FakeNoteService& s) {
             s.createNote = [](const std::string&, const generated::Note&) -> generated::Note {
                 throw std::runtime_error("%@%@%@ broken");
             };
         },
         "0 | 0 | "},
        {"HTTP 500",
         [](FakeNoteService& s) {
             s.server.route("/edam/note/s1", testkit::ScriptedReply::text(500, "down"));
         },
         "0 | 0 | "},
        {"version refused",
         [](FakeNoteService& s) {
             s.checkVersion = [](const std::string&, int16_t, int16_t) { return false; };
         },
         "0 | 0 | ",
         {"EDMA Error: EDMA Version is too old."}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        FakeNoteService fresh;
        ASSERT_TRUE(fresh.start());
        configure(fresh.userStoreURL(), fresh.noteStoreURLBase());
        row.script(fresh);
        ui::AlertView::clearShownAlerts();
        auto result =
            offMainThread([&] { return SHKEvernoteCalls::sendResult(SHKItem::text("hello"), "u", "p", 1); });
        EXPECT_EQ(summary(result), row.summary);
        EXPECT_EQ(alertTitles(), row.alerts);
    }
}

TEST_F(SHKEvernoteCallsTest, ASendToAServiceThatIsNotThereFails)
{
    testkit::ClosedPort closed;
    ASSERT_NE(closed.port(), 0);
    configure("http://127.0.0.1:" + std::to_string(closed.port()) + "/edam/user", service.noteStoreURLBase());
    auto result =
        offMainThread([&] { return SHKEvernoteCalls::sendResult(SHKItem::text("x"), "u", "p", 1); });
    EXPECT_EQ(summary(result), "0 | 0 | ");
    // Nor with the configuration's empty defaults.
    configure("", "");
    result = offMainThread([&] { return SHKEvernoteCalls::sendResult(SHKItem::text("x"), "u", "p", 1); });
    EXPECT_EQ(summary(result), "0 | 0 | ");
}

TEST_F(SHKEvernoteCallsTest, TheLoginCheckNeedsAUserAndAToken)
{
    struct Row
    {
        const char* name;
        std::function<void(FakeNoteService&)> script;
        std::string success;
        std::vector<std::string> alerts = {};
    };
    const Row rows[] = {
        {"signed in", [](FakeNoteService&) {}, "1"},
        {"no user",
         [](FakeNoteService& s) {
             s.authenticate = [](const std::string&, const std::string&, const std::string&,
                                 const std::string&) {
                 generated::AuthenticationResult result;
                 result.__set_authenticationToken("t");
                 return result;
             };
         },
         "0"},
        {"no token",
         [](FakeNoteService& s) {
             s.authenticate = [](const std::string&, const std::string&, const std::string&,
                                 const std::string&) {
                 auto result = notes_test::signedIn("t", "s1");
                 result.__isset.authenticationToken = false;
                 return result;
             };
         },
         "0"},
        {"wrong password",
         [](FakeNoteService& s) {
             s.authenticate = [](const std::string&, const std::string&, const std::string&,
                                 const std::string&) -> generated::AuthenticationResult {
                 throw userException(2, "password");
             };
         },
         "0"},
        {"version refused",
         [](FakeNoteService& s) {
             s.checkVersion = [](const std::string&, int16_t, int16_t) { return false; };
         },
         "0",
         {"EDMA Error: EDMA Version is too old."}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        FakeNoteService fresh;
        ASSERT_TRUE(fresh.start());
        configure(fresh.userStoreURL(), fresh.noteStoreURLBase());
        row.script(fresh);
        ui::AlertView::clearShownAlerts();
        auto result = offMainThread([&] { return SHKEvernoteCalls::authorizationResult("u", "p"); });
        EXPECT_EQ(*result->stringForKey("success"), row.success);
        EXPECT_EQ(alertTitles(), row.alerts);
        EXPECT_EQ(fresh.calls().size(), row.alerts.empty() ? 2u : 1u);
    }
}
