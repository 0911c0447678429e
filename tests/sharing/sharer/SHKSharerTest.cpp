#include "sharing/sharer/SHKSharer.h"
#include "foundation/Array.h"
#include "foundation/Data.h"
#include "foundation/Dictionary.h"
#include "foundation/Error.h"
#include "foundation/FileManager.h"
#include "foundation/NotificationCenter.h"
#include "foundation/Number.h"
#include "foundation/String.h"
#include "foundation/URL.h"
#include "foundation/UserDefaults.h"
#include "sharing/core/SHK.h"
#include "sharing/core/SHKFormFieldSettings.h"
#include "sharing/support/SharerFixture.h"
#include "sharing/support/TestSharer.h"
#include "sharing/ui/SHKFormController.h"
#include "sharing/ui/SHKFormFieldCell.h"
#include "uikit/AlertView.h"
#include "uikit/Switch.h"
#include "uikit/TableView.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

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
            ns::NotificationCenter::defaultCenter().addObserver(
                this, name, nullptr, [this](const ns::Notification& n) {
                    std::string line = n.name();
                    if (auto info = n.userInfo())
                        if (auto success = info->objectAs<ns::Number>("success"))
                            line += success->boolValue() ? " success=1" : " success=0";
                    lines.push_back(line);
                });
    }
    ~ReportLog() override { ns::NotificationCenter::defaultCenter().removeObserver(this); }

    void sharerStartedSending(SHKSharer&) override { lines.push_back("started"); }
    void sharerFinishedSending(SHKSharer&) override { lines.push_back("finished"); }
    void sharerFailedWithError(SHKSharer& sharer, const ns::Ref<ns::Error>& error,
                               bool shouldRelogin) override
    {
        std::string line = "failed: ";
        line += error ? error->localizedDescription() : "(none)";
        line += shouldRelogin ? " relogin" : "";
        line += sharer.lastError() == error ? "" : " (lastError differs)";
        lines.push_back(line);
    }
    void sharerCancelledSending(SHKSharer&) override { lines.push_back("cancelled"); }
    void sharerAuthDidFinish(SHKSharer&, bool success) override
    {
        lines.push_back(success ? "auth 1" : "auth 0");
    }

    std::vector<std::string> lines;
};

class Sharer : public SharerFixture
{
protected:
    ns::Ref<SHKItem> urlItem() { return SHKItem::URL(ns::URL::withString("http://example.com/a"), "A page"); }

    void authorise() { SHK::setAuthValue("bob", "username", "TestSharer"); }

    std::vector<std::string> alertTexts()
    {
        std::vector<std::string> texts;
        for (const auto& alert : ui::AlertView::shownAlerts())
            texts.push_back(alert->title().value_or("") + ": " + alert->message().value_or(""));
        return texts;
    }

    size_t queued()
    {
        auto list = SHK::getOfflineQueueList();
        return list ? list->count() : 0;
    }
};

// What share and tryToSend do, for every combination that decides something.
TEST_F(Sharer, ShareAndTryToSendDecideBetweenSendingQueueingTheFormAndTheOfflineAlert)
{
    using Outcome = TestSharer::Outcome;
    enum Op { Share, TryToSend };
    enum Form { NoForm, ShareForm, LoginForm };
    struct Row
    {
        const char* name;
        Op op;
        bool authorised;
        bool autoShare;
        bool online;
        bool allowOffline;
        bool canShareOffline;
        bool quiet;
        Outcome outcome;
        // What happens.
        int sends;
        size_t queued;
        Form form;
        const char* alert;
        bool returns; // tryToSend's answer
        SHKSharerPendingAction pending;
    };
    const char* offline = "Offline: You must be online in order to share with Test Service";
    const char* offlineLogin = "Offline: You must be online to login to Test Service";
    const char* kept =
        "Offline: You are offline. The share to Test Service was kept and will be sent when you "
        "are back online.";
    const Row rows[] = {
        // share
        {"not authorised: login form", Share, false, false, true, true, true, false, Outcome::Finish, 0, 0,
         LoginForm, nullptr, false, SHKAwaitShare},
        {"not authorised, offline: alert", Share, false, true, false, true, true, false, Outcome::Finish, 0,
         0, NoForm, offlineLogin, false, SHKAwaitShare},
        {"not authorised, offline, quiet: nothing", Share, false, true, false, true, true, true,
         Outcome::Finish, 0, 0, NoForm, nullptr, false, SHKAwaitShare},
        {"no auto-share: share form", Share, true, false, true, true, true, false, Outcome::Finish, 0, 0,
         ShareForm, nullptr, false, SHKAwaitNothing},
        {"auto-share online: sent", Share, true, true, true, true, true, false, Outcome::Finish, 1, 0, NoForm,
         nullptr, false, SHKAwaitNothing},
        {"auto-share, send refused: share form", Share, true, true, true, true, true, false, Outcome::Refuse,
         1, 0, ShareForm, nullptr, false, SHKAwaitNothing},
        {"auto-share offline: queued", Share, true, true, false, true, true, false, Outcome::Finish, 0, 1,
         NoForm, kept, false, SHKAwaitNothing},
        {"auto-share offline, not allowed: alert", Share, true, true, false, false, true, false,
         Outcome::Finish, 0, 0, NoForm, offline, false, SHKAwaitNothing},
        {"auto-share offline, not allowed, quiet: share form", Share, true, true, false, false, true, true,
         Outcome::Finish, 0, 0, ShareForm, nullptr, false, SHKAwaitNothing},
        // tryToSend
        {"online: send's answer YES", TryToSend, true, false, true, true, true, false, Outcome::Finish, 1, 0,
         NoForm, nullptr, true, SHKAwaitNothing},
        {"online: send's answer NO", TryToSend, true, false, true, true, true, false, Outcome::Refuse, 1, 0,
         NoForm, nullptr, false, SHKAwaitNothing},
        {"offline, allowed: queued", TryToSend, true, false, false, true, true, true, Outcome::Finish, 0, 1,
         NoForm, nullptr, true, SHKAwaitNothing},
        {"offline, the sharer cannot queue: alert", TryToSend, true, false, false, true, false, false,
         Outcome::Finish, 0, 0, NoForm, offline, true, SHKAwaitNothing},
        {"offline, not allowed: alert", TryToSend, true, false, false, false, true, false, Outcome::Finish, 0,
         0, NoForm, offline, true, SHKAwaitNothing},
        {"offline, not allowed, quiet: NO", TryToSend, true, false, false, false, true, true, Outcome::Finish,
         0, 0, NoForm, nullptr, false, SHKAwaitNothing},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        SHK::logoutOfService("TestSharer");
        ns::FileManager::removeItemAtPath(SHK::offlineQueuePath());
        ui::AlertView::clearShownAlerts();
        TestSharer::answers().outcome = row.outcome;
        TestSharer::answers().canShareOffline = row.canShareOffline;
        configure("allowOffline", ns::Number::numberWithBool(row.allowOffline));
        net::Reachability::setNetworkOn(row.online);
        if (row.authorised)
            authorise();
        auto sharer = TestSharer::create();
        sharer->setShouldAutoShare(row.autoShare);
        sharer->setQuiet(row.quiet);
        sharer->setItem(urlItem());

        bool returned = false;
        if (row.op == Share)
            sharer->share();
        else
            returned = sharer->tryToSend();
        settle();

        EXPECT_EQ(sharer->sendCount(), row.sends);
        EXPECT_EQ(queued(), row.queued);
        auto form = shownForm(sharer);
        Form shown = !form                                                  ? NoForm
                     : form->title() == std::optional<std::string>("Login") ? LoginForm
                                                                            : ShareForm;
        EXPECT_EQ(shown, row.form);
        EXPECT_EQ(alertTexts(), row.alert ? std::vector<std::string>{row.alert} : std::vector<std::string>{});
        if (row.op == TryToSend) {
            EXPECT_EQ(returned, row.returns);
        }
        EXPECT_EQ(sharer->pendingAction(), row.pending);

        for (const auto& alert : ui::AlertView::shownAlerts())
            if (alert->isVisible())
                alert->dismissWithClickedButtonIndex(0, false);
        if (SHK::currentHelper()->currentView()) {
            SHK::currentHelper()->hideCurrentViewControllerAnimated(false);
            settle();
        }
    }
}

TEST_F(Sharer, ReportsComeAsNotificationsThenDelegateCallsInOrder)
{
    using Outcome = TestSharer::Outcome;
    struct Row
    {
        const char* name;
        Outcome outcome;
        std::vector<std::string> lines;
        SHKSharerPendingAction pending;
    };
    const Row rows[] = {
        {"succeeds",
         Outcome::Finish,
         {"SHKSendDidStartNotification", "started", "SHKSendDidFinish", "finished"},
         SHKAwaitNothing},
        {"fails",
         Outcome::Fail,
         {"SHKSendDidStartNotification", "started", "SHKSendDidFailWithError", "failed: Test failure"},
         SHKAwaitNothing},
        {"asks for a new login",
         Outcome::Relogin,
         {"SHKSendDidStartNotification", "started", "SHKSendDidFailWithError",
          "failed: Could not authenticate you. Please relogin. relogin"},
         SHKAwaitResend},
    };
    authorise();
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TestSharer::answers().outcome = row.outcome;
        auto log = ns::make<ReportLog>();
        auto sharer = TestSharer::create();
        sharer->setShareDelegate(log);
        sharer->setItem(urlItem());
        EXPECT_TRUE(sharer->tryToSend());
        settle();
        EXPECT_EQ(log->lines, row.lines);
        EXPECT_EQ(sharer->pendingAction(), row.pending);
    }
}

TEST_F(Sharer, CancelAndAuthorisationReportsComeInOrder)
{
    auto log = ns::make<ReportLog>();
    auto sharer = TestSharer::create();
    sharer->setShareDelegate(log);
    sharer->sendDidCancel();
    sharer->authDidFinish(true);
    sharer->authDidFinish(false);
    EXPECT_EQ(log->lines,
              (std::vector<std::string>{"SHKSendDidCancel", "cancelled", "SHKAuthDidFinish success=1",
                                        "auth 1", "SHKAuthDidFinish success=0", "auth 0"}));
}

// The share screens let a sharer go right after share: it holds itself until its last report.
TEST_F(Sharer, ASharerLivesFromShareUntilItsLastReport)
{
    using Outcome = TestSharer::Outcome;
    struct Row
    {
        const char* name;
        Outcome outcome;
        bool online;
        bool aliveAfterShare;
        std::vector<std::string> notifications;
    };
    const Row rows[] = {
        {"finishes later", Outcome::Finish, true, true, {"SHKSendDidStartNotification", "SHKSendDidFinish"}},
        {"fails later",
         Outcome::Fail,
         true,
         true,
         {"SHKSendDidStartNotification", "SHKSendDidFailWithError"}},
        {"queued offline: nothing reports", Outcome::Finish, false, true, {}},
    };
    authorise();
    TestSharer::answers().reportLater = true;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TestSharer::answers().outcome = row.outcome;
        net::Reachability::setNetworkOn(row.online);
        // Names only: a recorder keeping the notifications would hold the sharer through their object.
        ReportLog log;
        ns::Weak<SHKSharer> weak;
        {
            auto sharer = TestSharer::create();
            sharer->setQuiet(true);
            sharer->setShouldAutoShare(true);
            sharer->setItem(urlItem());
            sharer->share();
            weak = sharer;
        }
        EXPECT_EQ(!weak.expired(), row.aliveAfterShare);
        settle(); // the report
        settle(); // the hold goes
        EXPECT_TRUE(weak.expired());
        EXPECT_EQ(log.lines, row.notifications);
    }
}

TEST_F(Sharer, ASendStillOutKeepsTheSharer)
{
    authorise();
    TestSharer::answers().outcome = TestSharer::Outcome::Start;
    ns::Weak<SHKSharer> weak;
    {
        auto sharer = TestSharer::create();
        sharer->setShouldAutoShare(true);
        sharer->setItem(urlItem());
        sharer->share();
        weak = sharer;
    }
    settle();
    auto sharer = weak.lock();
    ASSERT_TRUE(sharer);
    EXPECT_TRUE(sharer->isKeptAlive());
    sharer->sendDidFinish();
    sharer.reset();
    EXPECT_FALSE(weak.expired()); // not under the reporting call
    settle();
    EXPECT_TRUE(weak.expired());
}

TEST_F(Sharer, TheLoginFormStoresItsValuesAndResumesTheShare)
{
    auto sharer = TestSharer::create();
    sharer->setItem(urlItem());
    sharer->share();
    settle();
    EXPECT_EQ(sharer->pendingAction(), SHKAwaitShare);
    auto login = shownForm(sharer);
    ASSERT_TRUE(login);
    EXPECT_EQ(login->title(), "Login");
    EXPECT_TRUE(login->autoSelect());
    ASSERT_EQ(login->sections().size(), 1u);
    EXPECT_EQ(login->sections()[0].rows.size(), 2u);
    EXPECT_EQ(login->sections()[0].footer, std::nullopt);

    // The first row has the caret: the user types the name only.
    ASSERT_TRUE(driver.type("bob"));
    ASSERT_TRUE(driver.press("Login"));
    settle();
    settle();
    EXPECT_EQ(SHK::getAuthValueForKey("username", "TestSharer"), "bob");
    EXPECT_EQ(SHK::getAuthValueForKey("password", "TestSharer"), std::nullopt);
    EXPECT_EQ(sharer->pendingAction(), SHKAwaitNothing);
    // Authorised now, without auto-share: the share form follows.
    auto form = shownForm(sharer);
    ASSERT_TRUE(form);
    EXPECT_NE(form, login);
    EXPECT_EQ(form->title(), std::nullopt);
}

TEST_F(Sharer, CancellingTheLoginReportsACancelAndKeepsThePendingAction)
{
    auto log = ns::make<ReportLog>();
    auto sharer = TestSharer::create();
    sharer->setShareDelegate(log);
    sharer->setItem(urlItem());
    sharer->share();
    settle();
    ASSERT_TRUE(driver.press("Cancel"));
    settle();
    EXPECT_EQ(log->lines, (std::vector<std::string>{"SHKSendDidCancel", "cancelled"}));
    EXPECT_EQ(sharer->pendingAction(), SHKAwaitShare);
    EXPECT_FALSE(SHK::currentHelper()->currentView());
}

TEST_F(Sharer, TheShareFormFillsTheItemAndKeepsTheAutoShareChoiceApart)
{
    authorise();
    auto sharer = TestSharer::create();
    sharer->setItem(urlItem());
    sharer->share();
    settle();
    auto form = shownForm(sharer);
    ASSERT_TRUE(form);
    ASSERT_EQ(form->sections().size(), 2u);
    const auto& first = form->sections()[0];
    ASSERT_EQ(first.rows.size(), 1u);
    EXPECT_EQ(first.rows[0]->label(), "Title");
    EXPECT_EQ(first.rows[0]->key(), "title");
    EXPECT_EQ(first.rows[0]->type(), SHKFormFieldTypeText);
    EXPECT_EQ(first.rows[0]->start(), "A page");
    EXPECT_EQ(first.footer, "http://example.com/a");
    const auto& second = form->sections()[1];
    ASSERT_EQ(second.rows.size(), 1u);
    EXPECT_EQ(second.rows[0]->label(), "Auto Share");
    EXPECT_EQ(second.rows[0]->key(), "autoShare");
    EXPECT_EQ(second.rows[0]->type(), SHKFormFieldTypeSwitch);
    EXPECT_EQ(second.rows[0]->start(), "0");
    EXPECT_EQ(second.footer, "Enable auto share to skip this step in the future.");

    auto cell = ns::cast<SHKFormFieldCell>(form->tableView()->cellForRowAtIndexPath(ns::IndexPath(1, 0)));
    ASSERT_TRUE(cell);
    ASSERT_TRUE(cell->toggle());
    cell->toggle()->setOn(true, false);
    form->tableView()->tapRowAtIndexPath(ns::IndexPath(0, 0));
    ASSERT_TRUE(driver.clearText());
    ASSERT_TRUE(driver.type("Renamed"));

    ASSERT_TRUE(driver.press("Send to Test Service"));
    settle();
    EXPECT_EQ(sharer->sendCount(), 1);
    auto item = sharer->item();
    EXPECT_EQ(item->title(), "Renamed");
    EXPECT_EQ(item->customValueForKey("autoShare"), nullptr);
    EXPECT_TRUE(sharer->shouldAutoShare());
    EXPECT_TRUE(ns::UserDefaults::standard()->boolForKey("TestSharer_shouldAutoShare"));
}

TEST_F(Sharer, OnlyTheFirstSectionReachesTheItem)
{
    auto sharer = TestSharer::create();
    sharer->setItem(urlItem());
    auto form = SHKCustomFormController::create(ui::TableViewStyle::Grouped, std::nullopt, "Send");
    auto row = [](const char* key) {
        return SHKFormFieldSettings::label(std::string(key), std::string(key), SHKFormFieldTypeText,
                                           std::nullopt);
    };
    form->addSection({row("title"), row("text"), row("tags"), row("extra")}, std::nullopt, std::nullopt);
    form->addSection({SHKFormFieldSettings::label(std::string("Auto Share"), std::string("autoShare"),
                                                  SHKFormFieldTypeSwitch, std::string("1"))},
                     std::nullopt, std::nullopt);
    for (const char* key : {"title", "text", "tags", "extra"})
        form->values()->setObject(ns::String::make(std::string("v-") + key), key);
    sharer->updateItemWithForm(*form);
    auto item = sharer->item();
    EXPECT_EQ(item->title(), "v-title");
    EXPECT_EQ(item->text(), "v-text");
    EXPECT_EQ(item->tags(), "v-tags");
    EXPECT_EQ(ns::describe(item->customValueForKey("extra")), "v-extra");
    EXPECT_EQ(item->customValueForKey("autoShare"), nullptr);
    EXPECT_EQ(item->customValueForKey("title"), nullptr);
}

TEST_F(Sharer, ATypeWithoutShareRowsSendsAtOnce)
{
    authorise();
    auto sharer = TestSharer::create();
    sharer->setItem(SHKItem::text("hello"));
    sharer->share();
    settle();
    EXPECT_EQ(sharer->showCount(), 1);
    EXPECT_EQ(sharer->sendCount(), 1);
    EXPECT_FALSE(SHK::currentHelper()->currentView());
}

TEST_F(Sharer, TheFormHasNoAutoShareSwitchWhenTheClassCannotAutoShare)
{
    authorise();
    TestSharer::answers().canAutoShare = false;
    auto sharer = TestSharer::create();
    sharer->setItem(urlItem());
    sharer->share();
    settle();
    auto form = shownForm(sharer);
    ASSERT_TRUE(form);
    EXPECT_EQ(form->sections().size(), 1u);
    // Hidden without a report, the form ends the share: the sharer lets itself go.
    SHK::currentHelper()->hideCurrentViewControllerAnimated(false);
    settle();
    EXPECT_FALSE(sharer->isKeptAlive());
}

TEST_F(Sharer, TryPendingActionDoesWhatWaitsThenWaitsForNothing)
{
    authorise();
    struct Row
    {
        SHKSharerPendingAction action;
        int sends;
        int shows;
        SHKSharerPendingAction after;
    };
    const Row rows[] = {
        {SHKAwaitNothing, 0, 0, SHKAwaitNothing},
        {SHKAwaitShare, 0, 1, SHKAwaitNothing},
        {SHKAwaitTokenRefresh, 1, 0, SHKAwaitNothing},
        {SHKAwaitResend, 1, 0, SHKAwaitNothing},
        {static_cast<SHKSharerPendingAction>(7), 0, 0, static_cast<SHKSharerPendingAction>(7)},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.action);
        auto sharer = TestSharer::create();
        sharer->setQuiet(true);
        sharer->setItem(urlItem());
        sharer->setPendingAction(row.action);
        sharer->tryPendingAction();
        EXPECT_EQ(sharer->sendCount(), row.sends);
        EXPECT_EQ(sharer->showCount(), row.shows);
        EXPECT_EQ(sharer->pendingAction(), row.after);
        SHK::currentHelper()->hideCurrentViewControllerAnimated(false);
        settle();
    }
}

// A login that is saved without any value leaves the sharer unauthorised: the share asks again and still
// waits to resume, instead of forgetting it.
TEST_F(Sharer, ALoginThatAuthorisesNothingKeepsTheShareWaiting)
{
    auto sharer = TestSharer::create();
    sharer->setItem(urlItem());
    sharer->share();
    settle();
    ASSERT_TRUE(driver.press("Login"));
    settle();
    settle();
    EXPECT_EQ(sharer->pendingAction(), SHKAwaitShare);
    auto login = shownForm(sharer);
    ASSERT_TRUE(login);
    EXPECT_EQ(login->title(), "Login");
}

TEST_F(Sharer, TheClassConveniencesShareANewItemOfTheirType)
{
    authorise();
    TestSharer::answers().canGetUserInfo = true;
    ns::Ref<SHKSharer> made[] = {
        SHKSharer::shareURL("TestSharer", ns::URL::withString("http://example.com/")),
        SHKSharer::shareText("TestSharer", "hello"),
        SHKSharer::shareFile("TestSharer", ns::Data::withString("bytes"), "a.txt", "text/plain", "A"),
        SHKSharer::getUserInfo("TestSharer"),
    };
    const SHKShareType types[] = {SHKShareTypeURL, SHKShareTypeText, SHKShareTypeFile,
                                  SHKShareTypeAccountInfo};
    for (size_t i = 0; i < 4; ++i) {
        ASSERT_TRUE(made[i]);
        EXPECT_EQ(made[i]->item()->shareType(), types[i]);
    }
    EXPECT_FALSE(SHKSharer::shareText("SHKNoSuchSharer", "hello"));
    SHK::currentHelper()->hideCurrentViewControllerAnimated(false);
    settle();
    // Only shareItem and loadItem move the sharer to the front of the favourites.
    configure("autoOrderFavoriteSharers", ns::Number::numberWithBool(true));
    auto before = SHK::favoriteSharersForType(SHKShareTypeText);
    SHKSharer::shareText("TestSharer", "again");
    EXPECT_TRUE(ns::isEqual(SHK::favoriteSharersForType(SHKShareTypeText), before));
}

TEST_F(Sharer, ReloginAsksForTheLoginAgainAndResendsAfterIt)
{
    authorise();
    TestSharer::answers().outcome = TestSharer::Outcome::Relogin;
    auto sharer = TestSharer::create();
    sharer->setItem(SHKItem::text("hello"));
    sharer->setShouldAutoShare(true);
    sharer->share();
    settle();
    EXPECT_EQ(sharer->sendCount(), 1);
    EXPECT_EQ(sharer->pendingAction(), SHKAwaitResend);
    EXPECT_TRUE(ui::AlertView::shownAlerts().empty());
    auto login = shownForm(sharer);
    ASSERT_TRUE(login);
    EXPECT_EQ(login->title(), "Login");

    TestSharer::answers().outcome = TestSharer::Outcome::Finish;
    ASSERT_TRUE(driver.type("carol"));
    ASSERT_TRUE(driver.press("Login"));
    settle();
    EXPECT_EQ(SHK::getAuthValueForKey("username", "TestSharer"), "carol");
    EXPECT_EQ(sharer->sendCount(), 2);
    EXPECT_EQ(sharer->pendingAction(), SHKAwaitNothing);
}

} // namespace
