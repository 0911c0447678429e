#include "UIFixture.h"

#include "uikit/ActionSheet.h"
#include "uikit/AlertView.h"
#include "uikit/Button.h"
#include "uikit/OverlayWindow.h"
#include "uikit/Toolbar.h"

#include <string>
#include <vector>

namespace {

class AlertLog : public ns::Object, public ui::AlertViewDelegate, public ui::ActionSheetDelegate
{
public:
    std::vector<std::string> calls;
    void alertViewClickedButtonAtIndex(ui::AlertView&, long i) override
    {
        calls.push_back("clicked " + std::to_string(i));
    }
    void alertViewWillDismissWithButtonIndex(ui::AlertView&, long i) override
    {
        calls.push_back("will " + std::to_string(i));
    }
    void alertViewDidDismissWithButtonIndex(ui::AlertView&, long i) override
    {
        calls.push_back("did " + std::to_string(i));
    }
    void actionSheetClickedButtonAtIndex(ui::ActionSheet&, long i) override
    {
        calls.push_back("clicked " + std::to_string(i));
    }
    void actionSheetDidDismissWithButtonIndex(ui::ActionSheet&, long i) override
    {
        calls.push_back("did " + std::to_string(i));
    }
};

// A sheet that acts on the choice in its dismissal, as share sheets do.
class ChoosingSheet : public ui::ActionSheet
{
public:
    ChoosingSheet(std::optional<std::string> title, const ns::Ref<ui::ActionSheetDelegate>& delegate,
                  std::optional<std::string> cancelButtonTitle,
                  std::optional<std::string> destructiveButtonTitle)
        : ActionSheet(std::move(title), delegate, std::move(cancelButtonTitle),
                      std::move(destructiveButtonTitle))
    {
    }
    std::vector<long> dismissed;
    void dismissWithClickedButtonIndex(long index, bool animated) override
    {
        dismissed.push_back(index);
        ActionSheet::dismissWithClickedButtonIndex(index, animated);
    }
};

} // namespace

using Alerts = UIFixture;

TEST_F(Alerts, ButtonsAreNumberedFromTheCancelButton)
{
    auto log = ns::make<AlertLog>();
    auto alert = ui::AlertView::create("Offline", "No connection", log, "Close",
                                       std::vector<std::string>{"Retry", "Later"});
    EXPECT_EQ(alert->numberOfButtons(), 3);
    EXPECT_EQ(alert->cancelButtonIndex(), 0);
    EXPECT_EQ(alert->firstOtherButtonIndex(), 1);
    EXPECT_EQ(alert->buttonTitleAtIndex(2), "Later");
    EXPECT_EQ(alert->addButtonWithTitle("Never"), 3);
    alert->show();
    EXPECT_TRUE(alert->isVisible());
    ASSERT_EQ(ui::AlertView::shownAlerts().size(), 1u);
    EXPECT_EQ(ui::Application::sharedApplication().keyWindow()->windowLevel(), ui::WindowLevelAlert);

    ASSERT_TRUE(driver.answerAlert("Later"));
    EXPECT_EQ(log->calls, (std::vector<std::string>{"clicked 2", "will 2", "did 2"}));
    EXPECT_FALSE(alert->isVisible());
    EXPECT_EQ(ui::Application::sharedApplication().keyWindow(), window);
}

TEST_F(Alerts, AnAlertOrSheetNeverDismissedDoesNotOutliveItsWindow)
{
    auto log = ns::make<AlertLog>();
    ns::Weak<ui::View> alertLeft, sheetLeft, buttonLeft;
    ns::Weak<ui::Window> alertWindowLeft, sheetWindowLeft;
    {
        auto alert = ui::AlertView::create("Rate", "Now?", log, "Later");
        auto sheet =
            ui::ActionSheet::create("Share", log, "Cancel", std::nullopt, std::vector<std::string>{"Mail"});
        alert->show();
        sheet->showInView(window);
        ASSERT_TRUE(alert->window() && sheet->window());
        auto alertWindow = std::dynamic_pointer_cast<ui::OverlayWindow>(alert->window()->self<ui::Window>());
        auto sheetWindow = std::dynamic_pointer_cast<ui::OverlayWindow>(sheet->window()->self<ui::Window>());
        ASSERT_TRUE(alertWindow && sheetWindow);
        alertLeft = alert;
        sheetLeft = sheet;
        buttonLeft = alert->buttonViewAtIndex(0);
        alertWindowLeft = alertWindow;
        sheetWindowLeft = sheetWindow;
        // The screen lets the overlays go (as at the end of the process); nobody dismissed them.
        alertWindow->dismiss();
        sheetWindow->dismiss();
        ui::AlertView::clearShownAlerts();
    }
    EXPECT_TRUE(alertWindowLeft.expired());
    EXPECT_TRUE(sheetWindowLeft.expired());
    EXPECT_TRUE(alertLeft.expired());
    EXPECT_TRUE(sheetLeft.expired());
    EXPECT_TRUE(buttonLeft.expired());
}

TEST_F(Alerts, DismissingInCodeSkipsTheClickedCall)
{
    auto log = ns::make<AlertLog>();
    auto alert = ui::AlertView::create("Error", std::nullopt, log, "Close");
    alert->show();
    alert->dismissWithClickedButtonIndex(-1, false);
    EXPECT_EQ(log->calls, (std::vector<std::string>{"will -1", "did -1"}));
    EXPECT_FALSE(driver.answerAlertAtIndex(0));
}

TEST_F(Alerts, SheetButtonsPutDestructiveFirstAndCancelLast)
{
    auto log = ns::make<AlertLog>();
    auto sheet =
        ui::ActionSheet::create("Share", log, "Cancel", "Delete", std::vector<std::string>{"Mail", "Copy"});
    EXPECT_EQ(sheet->destructiveButtonIndex(), 0);
    EXPECT_EQ(sheet->buttonTitleAtIndex(1), "Mail");
    EXPECT_EQ(sheet->cancelButtonIndex(), 3);
    EXPECT_EQ(sheet->firstOtherButtonIndex(), 1);
}

TEST_F(Alerts, ATapOnASheetButtonReachesTheOverriddenDismissal)
{
    auto log = ns::make<AlertLog>();
    auto sheet = ns::make<ChoosingSheet>("Share", log, std::nullopt, std::nullopt);
    EXPECT_EQ(sheet->addButtonWithTitle("Mail"), 0);
    EXPECT_EQ(sheet->addButtonWithTitle("More..."), 1);
    sheet->setCancelButtonIndex(sheet->addButtonWithTitle("Cancel"));
    EXPECT_EQ(sheet->numberOfButtons(), 3);
    auto toolbar = ui::Toolbar::create(cg::makeRect(0, 416, 320, 44));
    window->addSubview(toolbar);
    sheet->showFromToolbar(toolbar);
    EXPECT_EQ(sheet->shownFrom(), toolbar);
    ASSERT_TRUE(driver.press("More..."));
    EXPECT_EQ(sheet->dismissed, (std::vector<long>{1}));
    EXPECT_EQ(log->calls, (std::vector<std::string>{"clicked 1", "did 1"}));
    EXPECT_FALSE(sheet->isVisible());
}
