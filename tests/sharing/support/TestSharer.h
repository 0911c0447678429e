#pragma once

#include "sharing/sharer/SHKSharer.h"

#include <string>
#include <vector>

// A sharer for tests, registered as "TestSharer": its class-level answers and what its send does are
// set by the test, and it keeps what it was asked to send. Share types URL, text, image and file; the
// base's login form (user name and password), where any values are accepted.
class TestSharer : public SHKSharer
{
public:
    // What send does.
    enum class Outcome {
        Refuse,  // answers NO and reports nothing (an item that does not validate)
        Start,   // answers YES, reports sendDidStart and nothing more (a request still out)
        Finish,  // sendDidStart, then sendDidFinish
        Fail,    // sendDidStart, then sendDidFailWithError with the error "Test failure"
        Relogin, // sendDidStart, then shouldReloginWithPendingAction with reloginAction
    };
    struct Answers
    {
        std::string title = "Test Service";
        bool requiresAuthentication = true;
        bool shareRequiresInternetConnection = true;
        bool canShareOffline = true;
        bool canAutoShare = true;
        bool canGetUserInfo = false;
        bool canShare = true;
        Outcome outcome = Outcome::Finish;
        // The reports after sendDidStart come on the next turn of the main run loop (as a request's
        // would), for a sharer that must keep itself alive; otherwise inside send.
        bool reportLater = false;
        SHKSharerPendingAction reloginAction = SHKAwaitResend;
    };

    // Registers the class with these answers, and forgets what earlier sharers sent.
    static void registerClass(Answers answers);
    static void registerClass();
    static void unregisterClass();
    // The answers every TestSharer gives now; a test may change them at any time.
    static Answers& answers();
    // Every item a TestSharer's send was called with, oldest first (copies of them as they were then).
    static std::vector<ns::Ref<SHKItem>>& sentItems();

    static ns::Ref<TestSharer> create() { return setUp(ns::Factory<TestSharer>::make()); }

    int sendCount() const { return m_sendCount; }
    int showCount() const { return m_showCount; }

    bool send() override;
    void show() override;
    // Any login is good: the form saves at once.
    void authorizationFormValidate(SHKFormController& form) override;

    std::string className() const override { return "TestSharer"; }

protected:
    TestSharer() = default;
    friend ns::Factory<TestSharer>;

private:
    void report(Outcome outcome);

    int m_sendCount = 0;
    int m_showCount = 0;
};

// The class-level answers of TestSharer, read from TestSharer::answers().
class TestSharerClass : public SHKSharerClass
{
public:
    std::string sharerTitle() const override { return TestSharer::answers().title; }
    bool canShareURL() const override { return true; }
    bool canShareText() const override { return true; }
    bool canShareImage() const override { return true; }
    bool canShareFile() const override { return true; }
    bool canGetUserInfo() const override { return TestSharer::answers().canGetUserInfo; }
    bool shareRequiresInternetConnection() const override
    {
        return TestSharer::answers().shareRequiresInternetConnection;
    }
    bool canShareOffline() const override { return TestSharer::answers().canShareOffline; }
    bool requiresAuthentication() const override { return TestSharer::answers().requiresAuthentication; }
    bool canAutoShare() const override { return TestSharer::answers().canAutoShare; }
    bool canShare() const override { return TestSharer::answers().canShare; }
};
