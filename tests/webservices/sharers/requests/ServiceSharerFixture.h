#pragma once

#include "foundation/Base64.h"
#include "foundation/Error.h"
#include "foundation/HTTPCookieStorage.h"
#include "foundation/NotificationCenter.h"
#include "foundation/Number.h"
#include "foundation/RunLoop.h"
#include "foundation/String.h"
#include "foundation/URL.h"
#include "sharing/core/SHK.h"
#include "sharing/sharer/SHKSharer.h"
#include "sharing/support/SharerFixture.h"
#include "sharing/ui/SHKFormController.h"
#include "sharing/ui/SHKFormFieldCell.h"
#include "testing/LoopbackServer.h"
#include "uikit/AlertView.h"
#include "uikit/TableView.h"
#include "uikit/TextField.h"
#include "webservices/sharers/SHKWebServiceSharers.h"

#include <functional>
#include <string>
#include <vector>

// The sending notifications of every sharer, in the order they came, as lines: "started", "finished",
// "failed: TEXT", "cancelled", "auth 1" / "auth 0".
class ReportLines
{
public:
    ReportLines()
    {
        auto& center = ns::NotificationCenter::defaultCenter();
        center.addObserver(this, SHKSendDidStartNotification, nullptr,
                           [this](const ns::Notification&) { lines.push_back("started"); });
        center.addObserver(this, SHKSendDidFinishNotification, nullptr,
                           [this](const ns::Notification&) { lines.push_back("finished"); });
        center.addObserver(this, SHKSendDidCancelNotification, nullptr,
                           [this](const ns::Notification&) { lines.push_back("cancelled"); });
        center.addObserver(this, SHKSendDidFailWithErrorNotification, nullptr,
                           [this](const ns::Notification& n) {
                               auto sharer = ns::cast<SHKSharer>(n.object());
                               std::string line = "failed: ";
                               if (sharer && sharer->lastError())
                                   line += sharer->lastError()->localizedDescription();
                               lines.push_back(line);
                           });
        center.addObserver(this, SHKAuthDidFinishNotification, nullptr, [this](const ns::Notification& n) {
            auto info = n.userInfo();
            auto success = info ? info->objectAs<ns::Number>("success") : nullptr;
            lines.push_back(success && success->boolValue() ? "auth 1" : "auth 0");
        });
    }
    ~ReportLines() { ns::NotificationCenter::defaultCenter().removeObserver(this); }
    ReportLines(const ReportLines&) = delete;
    ReportLines& operator=(const ReportLines&) = delete;

    std::vector<std::string> lines;
};

// A device to share on with the web-service sharers registered and one fake service on 127.0.0.1, whose
// address the configuration key given to startService points at.
class ServiceSharerFixture : public SharerFixture
{
protected:
    ServiceSharerFixture() { registerWebServiceSharers(); }
    // What is still sent ends while the fake still answers.
    ~ServiceSharerFixture() override { endTransfers(); }

    void startService(std::initializer_list<const char*> baseKeys)
    {
        ASSERT_TRUE(server.start());
        for (const char* key : baseKeys)
            configure(key, ns::String::make(server.baseURL()));
    }

    // Turns the run loop (real replies arrive) and the device's clock until the condition holds.
    bool waitFor(const std::function<bool()>& done)
    {
        for (int i = 0; i < 4000; ++i) {
            if (done())
                return true;
            ns::RunLoop::main().runOnce(0.005);
            driver.advance(0.05);
        }
        return done();
    }
    // Waits until the server has seen `count` requests, then lets the replies be handled.
    bool waitForRequests(std::size_t count)
    {
        bool seen = waitFor([&] { return server.requestCount() >= count; });
        for (int i = 0; i < 20; ++i) {
            ns::RunLoop::main().runOnce(0.005);
            driver.advance(0.05);
        }
        return seen;
    }
    // Waits until the log has `count` lines.
    bool waitForLines(const ReportLines& log, std::size_t count)
    {
        return waitFor([&] { return log.lines.size() >= count; });
    }

    std::vector<std::string> alertTexts()
    {
        std::vector<std::string> texts;
        for (const auto& alert : ui::AlertView::shownAlerts())
            texts.push_back(alert->title().value_or("") + ": " + alert->message().value_or("(none)"));
        return texts;
    }

    // Types the credentials into the login form on screen (the name, then the password in the second
    // row) and presses Login.
    void logIn(const ns::Ref<SHKFormController>& form, const std::string& user, const std::string& password)
    {
        ASSERT_TRUE(form);
        ASSERT_TRUE(driver.type(user));
        auto cell = ns::cast<SHKFormFieldCell>(form->tableView()->cellForRowAtIndexPath(ns::IndexPath(0, 1)));
        ASSERT_TRUE(cell && cell->textField());
        cell->textField()->becomeFirstResponder();
        ASSERT_TRUE(driver.type(password));
        ASSERT_TRUE(driver.press("Login"));
    }

    // A reply that takes `seconds` of real time, so that what the device does meanwhile can be seen.
    static testkit::ScriptedReply slowReply(int status, std::string body, double seconds)
    {
        auto reply = testkit::ScriptedReply::text(status, std::move(body));
        reply.delay = seconds;
        return reply;
    }

    // The Authorization header of basic authentication with the name and password.
    static std::string basicAuthorization(const std::string& user, const std::string& password)
    {
        std::string pair = user;
        pair += ':';
        pair += password;
        std::string header = "Basic ";
        header += ns::base64Encode(pair);
        return header;
    }

    ns::Ref<SHKItem> urlItem(const std::string& address = "http://example.com/a?b=1&c=2",
                             std::optional<std::string> title = "A page")
    {
        return SHKItem::URL(ns::URL::withString(address), std::move(title));
    }

    testkit::LoopbackServer server;
};
