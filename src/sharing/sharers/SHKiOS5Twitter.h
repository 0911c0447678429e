#pragma once

#include "sharing/sharer/SHKSharer.h"
#include "system/TweetComposeViewController.h"

namespace ns {
class Notification;
}

// Shares an item to Twitter through the device's own tweet sheet, where the device has one: the device
// holds the account, so there is no sign-in here. The micro-blogging sharer hands its item over with
// shareItem when the sheet is there. Favourites and settings are those of "SHKTwitter".
//
// The sheet waits while a screen of the framework is up, until that screen has gone
// ("SHKHideCurrentViewFinished"), holding the sharer meanwhile; once shown, the sheet's completion holds
// the sharer until the user sends (sendDidFinish) or cancels (sendDidCancel). After the sheet has gone,
// "SHKHideCurrentViewFinished" is posted, so that another sharer waiting the same way starts next.
class SHKiOS5Twitter : public SHKSharer
{
public:
    static ns::Ref<SHKiOS5Twitter> create() { return setUp(ns::Factory<SHKiOS5Twitter>::make()); }
    // Registers the class under "SHKiOS5Twitter".
    static void registerClass();

    // The hand-off: a new sharer takes the item (which puts "SHKTwitter" first among the favourites of
    // its type) and shares it.
    using SHKSharer::shareItem;
    static ns::Ref<SHKiOS5Twitter> shareItem(const ns::Ref<SHKItem>& item);

    // Presents the sheet now, or once the framework's current screen has gone.
    void share() override;
    // The deferred start, on "SHKHideCurrentViewFinished".
    void callUI(const ns::Notification& notification);
    // Builds the sheet from the item and presents it over the top-most controller. An account-information
    // item shows nothing and reports nothing.
    void presentUI();

    // The controller that presents the sheet.
    const ns::Ref<ui::ViewController>& currentTopViewController() const { return m_currentTopViewController; }
    void setCurrentTopViewController(ns::Ref<ui::ViewController> controller)
    {
        m_currentTopViewController = std::move(controller);
    }
    // Whether the sharer waits for the framework's screen to go; for tests.
    bool isWaitingForScreen() const { return m_waitHold != nullptr; }

    ~SHKiOS5Twitter() override;

    std::string className() const override { return "SHKiOS5Twitter"; }

protected:
    SHKiOS5Twitter() = default;
    friend ns::Factory<SHKiOS5Twitter>;

private:
    void sheetFinished(tw::TweetComposeViewControllerResult result);

    ns::Ref<ui::ViewController> m_currentTopViewController;
    ns::Ref<SHKiOS5Twitter> m_waitHold;
};

class SHKiOS5TwitterClass : public SHKSharerClass
{
public:
    std::string sharerTitle() const override;
    std::string sharerId() const override { return "SHKTwitter"; }
    bool canShareURL() const override { return true; }
    bool canShareText() const override { return true; }
    bool canShareImage() const override { return true; }
    // The device holds the account.
    bool requiresAuthentication() const override { return false; }
    // Only where the device has the sheet.
    bool canShare() const override { return tw::TweetComposeViewController::isAvailable(); }
};
