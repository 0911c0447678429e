#include "UIFixture.h"

#include "uikit/Event.h"
#include "uikit/Touch.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace {

// Records what reaches it: phase letter, number of touches, and the event's count for this view.
class RecordingView : public ui::View
{
public:
    explicit RecordingView(cg::Rect frame) : View(frame) {}
    std::vector<std::string> calls;
    std::vector<int> tapCounts;
    std::vector<cg::Point> locations;

    void record(char phase, const ui::TouchSet& touches, ui::Event* event)
    {
        std::string call(1, phase);
        call.append(std::to_string(touches.count())).append("/");
        call.append(std::to_string(event->touchesForView(this).count()));
        calls.push_back(call);
        for (const auto& touch : touches) {
            tapCounts.push_back(touch->tapCount());
            locations.push_back(touch->locationInView(this));
        }
    }
    void touchesBegan(const ui::TouchSet& t, ui::Event* e) override { record('b', t, e); }
    void touchesMoved(const ui::TouchSet& t, ui::Event* e) override { record('m', t, e); }
    void touchesEnded(const ui::TouchSet& t, ui::Event* e) override { record('e', t, e); }
    void touchesCancelled(const ui::TouchSet& t, ui::Event* e) override { record('c', t, e); }
};

} // namespace

using TouchDelivery = UIFixture;

TEST_F(TouchDelivery, HitTestingFindsTheFrontmostTouchableView)
{
    auto back = ui::View::create(cg::makeRect(0, 0, 200, 200));
    auto front = ui::View::create(cg::makeRect(50, 50, 100, 100));
    auto hidden = ui::View::create(cg::makeRect(60, 60, 20, 20));
    auto inert = ui::View::create(cg::makeRect(100, 100, 20, 20));
    auto outside = ui::View::create(cg::makeRect(190, 190, 50, 50));
    window->addSubview(back);
    back->addSubview(front);
    front->addSubview(hidden);
    front->addSubview(inert);
    back->addSubview(outside);
    hidden->setHidden(true);
    inert->setUserInteractionEnabled(false);

    struct Case
    {
        const char* name;
        cg::Point point;
        ui::View* expected;
    };
    const Case cases[] = {
        {"front covers back", {70, 70}, front.get()},
        {"untouchable child passes to its parent", {105, 105}, front.get()},
        {"only back here", {10, 10}, back.get()},
        {"inside the child", {195, 195}, outside.get()},
        {"child outside its parent is not hit there", {230, 230}, window.get()},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(window->hitTest(row.point, nullptr).get(), row.expected);
    }
}

TEST_F(TouchDelivery, ATouchThatMovesOffItsViewStaysWithIt)
{
    auto left = ns::make<RecordingView>(cg::makeRect(0, 0, 100, 100));
    auto right = ns::make<RecordingView>(cg::makeRect(100, 0, 100, 100));
    window->addSubview(left);
    window->addSubview(right);
    driver.drag(cg::makePoint(50, 50), cg::makePoint(150, 50), 4);
    EXPECT_EQ(left->calls, (std::vector<std::string>{"b1/1", "m1/1", "m1/1", "m1/1", "m1/1", "e1/1"}));
    EXPECT_TRUE(right->calls.empty());
    // Its location is in the view's own coordinates, past its right edge at the end.
    EXPECT_EQ(left->locations.back(), cg::makePoint(150, 50));
}

TEST_F(TouchDelivery, TwoFingersOnOneViewArriveInOneEvent)
{
    auto view = ns::make<RecordingView>(cg::makeRect(0, 0, 300, 300));
    view->setMultipleTouchEnabled(true);
    window->addSubview(view);
    auto touches = driver.touchDown({cg::makePoint(100, 100), cg::makePoint(200, 200)});
    driver.touchMove({{touches[0], cg::makePoint(90, 100)}});
    driver.touchUp(touches);
    EXPECT_EQ(view->calls, (std::vector<std::string>{"b2/2", "m1/2", "e2/2"}));
}

TEST_F(TouchDelivery, AViewTakingOneFingerGetsOnlyTheFirst)
{
    auto view = ns::make<RecordingView>(cg::makeRect(0, 0, 300, 300));
    window->addSubview(view);
    auto touches = driver.touchDown({cg::makePoint(100, 100), cg::makePoint(200, 200)});
    driver.touchUp(touches);
    EXPECT_EQ(view->calls, (std::vector<std::string>{"b1/1", "e1/1"}));
}

TEST_F(TouchDelivery, CancellingTellsEveryActiveTouch)
{
    auto view = ns::make<RecordingView>(cg::makeRect(0, 0, 300, 300));
    window->addSubview(view);
    driver.touchDown({cg::makePoint(10, 10)});
    driver.cancelAll();
    EXPECT_EQ(view->calls, (std::vector<std::string>{"b1/1", "c1/1"}));
    EXPECT_TRUE(driver.activeTouches().empty());
}

TEST_F(TouchDelivery, TapCountsFollowTimeAndDistance)
{
    auto view = ns::make<RecordingView>(cg::makeRect(0, 0, 320, 460));
    window->addSubview(view);
    struct Step
    {
        const char* name;
        double pause;
        cg::Point point;
        int count;
    };
    const Step steps[] = {
        {"first tap", 0, {100, 100}, 1},       {"quickly again", 0.2, {102, 101}, 2},
        {"and again", 0.3, {100, 100}, 3},     {"too late", 0.4, {100, 100}, 1},
        {"quick but far", 0.1, {200, 100}, 1}, {"quick and near", 0.35, {203, 100}, 2},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.name);
        driver.advance(step.pause);
        view->tapCounts.clear();
        driver.tap(step.point);
        EXPECT_EQ(view->tapCounts, (std::vector<int>{step.count, step.count}));
    }
    view->tapCounts.clear();
    driver.doubleTap(cg::makePoint(50, 300));
    EXPECT_EQ(view->tapCounts, (std::vector<int>{1, 1, 2, 2}));
}

TEST_F(TouchDelivery, UnhandledTouchesGoUpTheResponderChain)
{
    auto parent = ns::make<RecordingView>(cg::makeRect(0, 0, 200, 200));
    auto child = ui::View::create(cg::makeRect(10, 10, 50, 50));
    window->addSubview(parent);
    parent->addSubview(child);
    driver.tap(cg::makePoint(20, 20));
    EXPECT_EQ(parent->calls, (std::vector<std::string>{"b1/0", "e1/0"}));
}

namespace {

// Keeps where the two fingers are after each event.
class TwoFingerView : public ui::View
{
public:
    explicit TwoFingerView(cg::Rect frame) : View(frame) {}
    std::vector<std::pair<cg::Point, cg::Point>> positions;
    std::vector<double> times;
    void note(ui::Event* event)
    {
        auto touches = event->touchesForView(this).allObjects();
        if (touches.size() != 2)
            return;
        std::sort(touches.begin(), touches.end(),
                  [](auto& a, auto& b) { return a->identity() < b->identity(); });
        positions.emplace_back(touches[0]->locationInView(nullptr), touches[1]->locationInView(nullptr));
        times.push_back(event->timestamp());
    }
    void touchesBegan(const ui::TouchSet&, ui::Event* e) override { note(e); }
    void touchesMoved(const ui::TouchSet&, ui::Event* e) override { note(e); }
};

float distance(const std::pair<cg::Point, cg::Point>& p)
{
    return std::hypot(p.first.x - p.second.x, p.first.y - p.second.y);
}

} // namespace

TEST_F(TouchDelivery, PinchAndRotateMoveTwoFingersAboutAPoint)
{
    auto view = ns::make<TwoFingerView>(cg::makeRect(0, 0, 320, 480));
    view->setMultipleTouchEnabled(true);
    window->addSubview(view);
    driver.pinch(cg::makePoint(160, 240), 40, 120, 4);
    ASSERT_EQ(view->positions.size(), 5u);
    EXPECT_FLOAT_EQ(distance(view->positions.front()), 40);
    EXPECT_FLOAT_EQ(distance(view->positions.back()), 120);
    EXPECT_NEAR(view->times.back() - view->times.front(), 4 * driver.stepInterval(), 1e-6);

    view->positions.clear();
    driver.rotate(cg::makePoint(160, 240), 90, 50, 3);
    ASSERT_EQ(view->positions.size(), 4u);
    auto [a, b] = view->positions.back();
    EXPECT_NEAR(a.x, 160, 1e-3);
    EXPECT_NEAR(a.y, 190, 1e-3);
    EXPECT_NEAR(b.y, 290, 1e-3);
}

TEST_F(TouchDelivery, PressAndHoldKeepsTheFingerDownForItsTime)
{
    auto view = ns::make<RecordingView>(cg::makeRect(0, 0, 320, 480));
    window->addSubview(view);
    double before = ns::Clock::current().now();
    driver.pressAndHold(cg::makePoint(10, 10), 1.5);
    EXPECT_DOUBLE_EQ(ns::Clock::current().now() - before, 1.5);
    EXPECT_EQ(view->calls, (std::vector<std::string>{"b1/1", "e1/1"}));
}
