// The note-service sharer as the framework drives it: created by name, its login form checked against the
// stand-in service on 127.0.0.1, its share form, and each send ending in exactly one report.

#include "FakeNoteService.h"

#include "notes/sharer/SHKEvernote.h"

#include "foundation/Data.h"
#include "foundation/Dictionary.h"
#include "foundation/NotificationCenter.h"
#include "foundation/Number.h"
#include "foundation/RunLoop.h"
#include "foundation/String.h"
#include "foundation/Thread.h"
#include "foundation/URL.h"
#include "sharing/core/SHK.h"
#include "sharing/core/SHKFormFieldSettings.h"
#include "sharing/support/SharerFixture.h"
#include "sharing/ui/SHKActivityIndicator.h"
#include "sharing/ui/SHKFormController.h"
#include "sharing/ui/SHKFormFieldCell.h"
#include "testing/ClosedPort.h"
#include "uikit/Label.h"
#include "uikit/TableView.h"
#include "uikit/TextField.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

using notes_test::FakeNoteService;

namespace {

// Delegate calls and sending notifications in one list, in the order they came.
class ReportLog : public ns::Object, public SHKSharerDelegateProtocol
{
public:
    ReportLog()
    {
        for (const char* name :
             {SHKSendDidStartNotification, SHKSendDidFinishNotification, SHKSendDidFailWithErrorNotification,
              SHKSendDidCancelNotification, SHKAuthDidFinishNotification})
            ns::NotificationCenter::defaultCenter().addObserver(this, name, nullptr,
                                                                [this](const ns::Notification& n) {
                                                                    std::string line = n.name();
                                                                    lines.push_back(line);
                                                                });
    }
    ~ReportLog() override { ns::NotificationCenter::defaultCenter().removeObserver(this); }

    void sharerStartedSending(SHKSharer&) override { lines.push_back("started"); }
    void sharerFinishedSending(SHKSharer&) override { lines.push_back("finished"); }
    void sharerFailedWithError(SHKSharer&, const ns::Ref<ns::Error>& error, bool shouldRelogin) override
    {
        std::string line = "failed: ";
        line += error ? error->localizedDescription() : "(none)";
        line += shouldRelogin ? " relogin" : "";
        lines.push_back(line);
    }
    void sharerCancelledSending(SHKSharer&) override { lines.push_back("cancelled"); }
    void sharerAuthDidFinish(SHKSharer&, bool success) override
    {
        lines.push_back(success ? "auth 1" : "auth 0");
    }

    std::vector<std::string> lines;
};

generated::EDAMUserException userException(int32_t code, const std::string& parameter)
{
    generated::EDAMUserException exception;
    exception.__set_errorCode(code);
    exception.__set_parameter(parameter);
    return exception;
}

class Evernote : public SharerFixture
{
protected:
    Evernote()
    {
        SHKEvernote::registerClass();
        EXPECT_TRUE(service.start());
        pointAt(service);
        configure("evernoteConsumerKey", ns::String::make("key"));
        configure("evernoteSecret", ns::String::make("secret"));
    }
    ~Evernote() override
    {
        waitForThreads();
        closeAlerts();
        rt::ClassRegistry::shared().unregisterClass("SHKEvernote");
    }

    void pointAt(const FakeNoteService& fake)
    {
        configure("evernoteUserStoreURL", ns::String::make(fake.userStoreURL()));
        configure("evernoteNetStoreURLBase", ns::String::make(fake.noteStoreURLBase()));
    }

    // Lets the sharer's threads end and the main thread handle what they handed over.
    void waitForThreads()
    {
        ns::RunLoop::main().runUntil([] { return ns::Thread::runningDetachedThreads() == 0; }, 30);
        settle();
    }

    void signIn() { SHK::setAuthValue("someone", "username", "SHKEvernote"); }

    // A new sharer reporting to the log shares a text; its first screen is then on show.
    ns::Ref<SHKEvernote> shareText(const ns::Ref<ReportLog>& log)
    {
        auto sharer = SHKEvernote::create();
        sharer->setShareDelegate(log);
        sharer->setItem(SHKItem::text("hello"));
        sharer->share();
        settle();
        return sharer;
    }

    // Types into a row's field of the form's first section, as the user does after tapping it.
    bool typeInto(const ns::Ref<SHKFormController>& form, std::size_t row, const std::string& text)
    {
        auto cell = ns::cast<SHKFormFieldCell>(
            form->tableView()->cellForRowAtIndexPath(*ns::IndexPath::forRow(row, 0)));
        if (!cell || !cell->textField() || !cell->textField()->becomeFirstResponder())
            return false;
        return driver.clearText() && driver.type(text);
    }

    // The shown alerts' "title: message", closed as the user closes them.
    std::vector<std::string> closeAlerts()
    {
        std::vector<std::string> texts;
        for (const auto& alert : ui::AlertView::shownAlerts())
            texts.push_back(alert->title().value_or("") + ": " + alert->message().value_or(""));
        for (const auto& alert : ui::AlertView::shownAlerts())
            alert->dismissWithClickedButtonIndex(0, false);
        ui::AlertView::clearShownAlerts();
        settle();
        return texts;
    }

    FakeNoteService service;
};

TEST_F(Evernote, TheClassIsMadeByNameAndAnswersForEveryKindOfItem)
{
    auto sharer = SHKSharer::sharerWithId("SHKEvernote");
    ASSERT_TRUE(ns::cast<SHKEvernote>(sharer));
    EXPECT_EQ(sharer->sharerTitle(), "Evernote");
    EXPECT_EQ(sharer->sharerId(), "SHKEvernote");
    auto meta = SHKSharerClass::named("SHKEvernote");
    ASSERT_TRUE(meta);
    for (int type : {SHKShareTypeURL, SHKShareTypeText, SHKShareTypeImage, SHKShareTypeFile})
        EXPECT_TRUE(meta->canShareType(type)) << type;
    EXPECT_FALSE(meta->canShareType(SHKShareTypeAccountInfo));
    EXPECT_TRUE(meta->requiresAuthentication());
    EXPECT_TRUE(meta->canShare());
    EXPECT_EQ(meta->authorizationFormCaption(), "Create a free account at Evernote.com");

    struct Row
    {
        const char* label;
        const char* key;
        int type;
    };
    const Row login[] = {{"Username", "username", SHKFormFieldTypeTextNoCorrect},
                         {"Password", "password", SHKFormFieldTypePassword}};
    auto rows = meta->authorizationFormFields();
    ASSERT_EQ(rows.size(), 2u);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i]->label(), login[i].label);
        EXPECT_EQ(rows[i]->key(), login[i].key);
        EXPECT_EQ(rows[i]->type(), login[i].type);
        EXPECT_EQ(rows[i]->start(), std::nullopt);
    }
    // Nobody signed in yet: not authorised; a stored name is enough.
    EXPECT_FALSE(sharer->isAuthorized());
    signIn();
    EXPECT_TRUE(sharer->isAuthorized());
}

TEST_F(Evernote, TheShareFormAsksForTitleAndTagsWhateverTheItem)
{
    auto url = SHKItem::URL(ns::URL::withString("http://example.com/"), std::string("Page"));
    url->setTags(std::string("a b"));
    const ns::Ref<SHKItem> items[] = {url, SHKItem::text("words"),
                                      SHKItem::image(nullptr, std::string("Pic")),
                                      SHKItem::file(ns::Data::withString("x"), std::string("x.txt"),
                                                    std::string("text/plain"), std::nullopt)};
    for (const auto& item : items) {
        auto sharer = SHKEvernote::create();
        sharer->setItem(item);
        auto rows = sharer->shareFormFieldsForType(item->shareType());
        ASSERT_TRUE(rows);
        ASSERT_EQ(rows->size(), 2u);
        EXPECT_EQ((*rows)[0]->label(), "Title");
        EXPECT_EQ((*rows)[0]->key(), "title");
        EXPECT_EQ((*rows)[0]->type(), SHKFormFieldTypeText);
        EXPECT_EQ((*rows)[0]->start(), item->title());
        EXPECT_EQ((*rows)[1]->label(), "Tags");
        EXPECT_EQ((*rows)[1]->key(), "tags");
        EXPECT_EQ((*rows)[1]->type(), SHKFormFieldTypeText);
        EXPECT_EQ((*rows)[1]->start(), item->tags());
    }
}

// The whole road: login form checked off the main thread, the credentials stored, the share form, the
// send, and one report.
TEST_F(Evernote, AShareSignsInThenSavesTheNoteWithOneReport)
{
    auto log = ns::make<ReportLog>();
    auto item = SHKItem::URL(ns::URL::withString("http://example.com/?a=1&b=2"), std::string("Fish & Chips"));
    ns::Weak<SHKSharer> weak;
    {
        auto sharer = SHKSharer::shareItem("SHKEvernote", item);
        ASSERT_TRUE(sharer);
        weak = sharer;
        sharer->setShareDelegate(log);
    }
    settle();
    auto sharer = weak.lock();
    ASSERT_TRUE(sharer);
    auto login = shownForm(sharer);
    ASSERT_TRUE(login);
    EXPECT_EQ(login->title(), "Login");
    ASSERT_EQ(login->sections().size(), 1u);
    EXPECT_EQ(login->sections()[0].footer, "Create a free account at Evernote.com");

    ASSERT_TRUE(typeInto(login, 0, "someone"));
    ASSERT_TRUE(typeInto(login, 1, "pw"));
    ASSERT_TRUE(driver.press("Login"));
    // The check runs off the main thread behind the overlay, the form kept meanwhile.
    auto overlay = SHKActivityIndicator::currentIndicator();
    EXPECT_TRUE(overlay->superview());
    EXPECT_EQ(overlay->subMessageLabel() ? overlay->subMessageLabel()->text() : std::nullopt,
              "Logging In...");
    waitForThreads();
    EXPECT_EQ(SHK::getAuthValueForKey("username", "SHKEvernote"), "someone");
    EXPECT_EQ(SHK::getAuthValueForKey("password", "SHKEvernote"), "pw");
    EXPECT_FALSE(sharer->pendingForm());

    auto form = shownForm(sharer);
    ASSERT_TRUE(form);
    EXPECT_NE(form, login);
    ASSERT_TRUE(typeInto(form, 1, "one  two"));
    sharer.reset();
    // Made at the whole second of the send, in milliseconds.
    auto sentAt = int64_t(ns::Clock::current().now()) * 1000;
    ASSERT_TRUE(driver.press("Send to Evernote"));
    waitForThreads();

    EXPECT_EQ(service.calls(), (std::vector<std::string>{
                                   "checkVersion(ShrareKit EDMA,1,16)", "authenticate(someone,pw,key,secret)",
                                   "checkVersion(ShrareKit EDMA,1,16)", "authenticate(someone,pw,key,secret)",
                                   "listNotebooks(token-1)", "createNote(token-1)"}));
    auto notes = service.createdNotes();
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_EQ(notes[0].title, "Fish & Chips");
    EXPECT_EQ(notes[0].notebookGuid, "nb-2");
    EXPECT_EQ(notes[0].tagNames, (std::vector<std::string>{"one", "two"}));
    EXPECT_EQ(notes[0].created, sentAt);
    EXPECT_NE(
        notes[0].content.find("<h1><a href=\"http://example.com/?a=1&amp;b=2\">Fish &amp; Chips</a></h1>"),
        std::string::npos);
    EXPECT_EQ(log->lines,
              (std::vector<std::string>{"SHKAuthDidFinish", "auth 1", "SHKSendDidStartNotification",
                                        "started", "SHKSendDidFinish", "finished"}));
    EXPECT_TRUE(closeAlerts().empty());
    // The sharer held itself through the send and lets go after its report.
    settle();
    EXPECT_TRUE(weak.expired());
}

TEST_F(Evernote, ALoginThatDoesNotSignInKeepsTheFormAndStoresNothing)
{
    struct Row
    {
        const char* name;
        std::function<void(FakeNoteService&)> script;
        std::vector<std::string> alerts;
        bool serviceGone = false;
    };
    const std::string loginError = "Login Error: Your username and password did not match";
    const Row rows[] = {
        {"wrong password",
         [](FakeNoteService& s) {
             s.authenticate = [](const std::string&, const std::string&, const std::string&,
                                 const std::string&) -> generated::AuthenticationResult {
                 throw userException(2, "password");
             };
         },
         {loginError}},
        {"no token",
         [](FakeNoteService& s) {
             s.authenticate = [](const std::string&, const std::string&, const std::string&,
                                 const std::string&) {
                 auto result = notes_test::signedIn("t", "s1");
                 result.__isset.authenticationToken = false;
                 return result;
             };
         },
         {loginError}},
        {"version refused",
         [](FakeNoteService& s) {
             s.checkVersion = [](const std::string&, int16_t, int16_t) { return false; };
         },
         {"EDMA Error: EDMA Version is too old.", loginError}},
        {"service not there", [](FakeNoteService&) {}, {loginError}, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        auto log = ns::make<ReportLog>();
        FakeNoteService fresh;
        ASSERT_TRUE(fresh.start());
        row.script(fresh);
        pointAt(fresh);
        testkit::ClosedPort closed;
        if (row.serviceGone)
            configure("evernoteUserStoreURL",
                      ns::String::make("http://127.0.0.1:" + std::to_string(closed.port()) + "/edam/user"));
        auto sharer = shareText(log);
        auto login = shownForm(sharer);
        ASSERT_TRUE(login);
        ASSERT_TRUE(typeInto(login, 0, "someone"));
        ASSERT_TRUE(driver.press("Login"));
        waitForThreads();
        EXPECT_EQ(closeAlerts(), row.alerts);
        EXPECT_EQ(SHK::getAuthValueForKey("username", "SHKEvernote"), std::nullopt);
        EXPECT_EQ(shownForm(sharer), login);
        EXPECT_TRUE(log->lines.empty());
        EXPECT_FALSE(SHKActivityIndicator::currentIndicator()->superview() &&
                     SHKActivityIndicator::currentIndicator()->alpha() > 0.99f);
        // The user gives up.
        ASSERT_TRUE(driver.press("Cancel"));
        settle();
        EXPECT_EQ(log->lines, (std::vector<std::string>{"SHKSendDidCancel", "cancelled"}));
    }
}

TEST_F(Evernote, CancelWhileTheLoginIsCheckedStoresNothingAndShowsNothing)
{
    // The service holds its answer until the user has cancelled.
    std::mutex mutex;
    std::condition_variable answer;
    bool cancelled = false;
    service.authenticate = [&](const std::string&, const std::string&, const std::string&,
                               const std::string&) {
        std::unique_lock lock(mutex);
        answer.wait(lock, [&] { return cancelled; });
        return notes_test::signedIn("t", "s1");
    };
    auto log = ns::make<ReportLog>();
    auto sharer = shareText(log);
    auto login = shownForm(sharer);
    ASSERT_TRUE(login);
    ASSERT_TRUE(typeInto(login, 0, "someone"));
    ASSERT_TRUE(typeInto(login, 1, "pw"));
    ASSERT_TRUE(driver.press("Login"));
    ASSERT_TRUE(driver.press("Cancel"));
    {
        std::lock_guard lock(mutex);
        cancelled = true;
    }
    answer.notify_all();
    waitForThreads();
    EXPECT_EQ(SHK::getAuthValueForKey("username", "SHKEvernote"), std::nullopt);
    EXPECT_EQ(SHK::getAuthValueForKey("password", "SHKEvernote"), std::nullopt);
    EXPECT_EQ(log->lines, (std::vector<std::string>{"SHKSendDidCancel", "cancelled"}));
    EXPECT_TRUE(closeAlerts().empty());
    EXPECT_FALSE(shownForm(sharer));
    EXPECT_FALSE(SHKActivityIndicator::currentIndicator()->superview());
}

TEST_F(Evernote, EachOutcomeOfASendIsReportedOnce)
{
    auto refuse = [](int32_t code) {
        return [=](FakeNoteService& s) {
            s.createNote = [=](const std::string&, const generated::Note&) -> generated::Note {
                throw userException(code, "Note");
            };
        };
    };
    const std::string failure = "failed: There was a problem sharing with Evernote";
    const std::string relogin = "failed: Could not authenticate you. Please relogin. relogin";
    struct Row
    {
        const char* name;
        std::function<void(FakeNoteService&)> script;
        std::string report;
        SHKSharerPendingAction pending = SHKAwaitNothing;
        std::vector<std::string> alerts = {};
    };
    const Row rows[] = {
        {"created", [](FakeNoteService&) {}, "finished"},
        {"invalid auth", refuse(8), relogin, SHKAwaitResend},
        {"auth expired", refuse(9), relogin, SHKAwaitResend},
        {"invalid format", refuse(2), failure},
        {"code 6", refuse(6), failure},
        {"system exception",
         [](FakeNoteService& s) {
             s.createNote = [](const std::string&, const generated::Note&) -> generated::Note {
                 throw generated::EDAMSystemException();
             };
         },
         failure},
        {"application exception",
         [](FakeNoteService& s) {
             s.createNote = [](const std::string&, const generated::Note&) -> generated::Note {
                 throw std::runtime_error("%@ broken");
             };
         },
         failure},
        {"HTTP 500",
         [](FakeNoteService& s) {
             s.server.route("/edam/note/s1", testkit::ScriptedReply::text(500, "down"));
         },
         failure},
        {"version refused",
         [](FakeNoteService& s) {
             s.checkVersion = [](const std::string&, int16_t, int16_t) { return false; };
         },
         failure,
         SHKAwaitNothing,
         {"EDMA Error: EDMA Version is too old."}},
    };
    signIn();
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        FakeNoteService fresh;
        ASSERT_TRUE(fresh.start());
        row.script(fresh);
        pointAt(fresh);
        auto log = ns::make<ReportLog>();
        ns::Weak<SHKSharer> weak;
        {
            auto sharer = SHKEvernote::create();
            weak = sharer;
            sharer->setShareDelegate(log);
            sharer->setItem(SHKItem::text("hello"));
            EXPECT_TRUE(sharer->tryToSend());
        }
        EXPECT_EQ(log->lines, (std::vector<std::string>{"SHKSendDidStartNotification", "started"}));
        waitForThreads();
        ASSERT_GE(log->lines.size(), 2u);
        std::vector<std::string> reports(log->lines.begin() + 2, log->lines.end());
        std::vector<std::string> expected = {
            row.report == "finished" ? "SHKSendDidFinish" : "SHKSendDidFailWithError", row.report};
        EXPECT_EQ(reports, expected);
        if (auto sharer = weak.lock()) {
            EXPECT_EQ(sharer->pendingAction(), row.pending);
            // A relogin puts the login form up again; the user leaves it.
            if (auto login = shownForm(sharer)) {
                EXPECT_EQ(login->title(), "Login");
                ASSERT_TRUE(driver.press("Cancel"));
            }
        }
        EXPECT_EQ(closeAlerts(), row.alerts);
        settle();
    }
}

TEST_F(Evernote, AnItemThatDoesNotValidateSendsNothing)
{
    signIn();
    auto log = ns::make<ReportLog>();
    auto sharer = SHKEvernote::create();
    sharer->setShareDelegate(log);
    auto item = SHKItem::create();
    item->setShareType(SHKShareTypeURL);
    sharer->setItem(item);
    EXPECT_FALSE(sharer->send());
    waitForThreads();
    EXPECT_TRUE(log->lines.empty());
    EXPECT_TRUE(service.calls().empty());
}

} // namespace
