#include "UIFixture.h"

#include <string>
#include <vector>

using Animation = UIFixture;

TEST_F(Animation, NamedAnimationSetsEndValuesAtOnceAndStopsAfterItsDuration)
{
    auto view = ui::View::create(cg::makeRect(0, 0, 10, 10));
    std::vector<std::string> stops;
    auto delegate = ui::View::create();
    ui::View::beginAnimations("Fade In");
    ui::View::setAnimationDuration(0.2);
    ui::View::setAnimationBeginsFromCurrentState(true);
    ui::View::setAnimationDelegate(delegate);
    ui::View::setAnimationDidStopSelector([&](const std::string& name, bool finished, void*) {
        stops.push_back(name + (finished ? " finished" : " stopped"));
    });
    view->setAlpha(0.5f);
    ui::View::commitAnimations();

    EXPECT_FLOAT_EQ(view->alpha(), 0.5f);
    auto records = ui::View::recordedAnimations();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].name, "Fade In");
    EXPECT_DOUBLE_EQ(records[0].duration, 0.2);
    EXPECT_TRUE(records[0].beginsFromCurrentState);

    driver.advance(0.19);
    EXPECT_TRUE(stops.empty());
    driver.advance(0.02);
    EXPECT_EQ(stops, (std::vector<std::string>{"Fade In finished"}));
}

TEST_F(Animation, BlockAnimationRunsItsCompletionAfterDelayAndDuration)
{
    auto view = ui::View::create(cg::makeRect(0, 0, 10, 10));
    int completions = 0;
    ui::View::animateWithDuration(
        0.3, 0.1, 0, [&] { view->setCenter(cg::makePoint(100, 100)); },
        [&](bool finished) { completions += finished ? 1 : 100; });
    EXPECT_EQ(view->center(), cg::makePoint(100, 100));
    driver.advance(0.39);
    EXPECT_EQ(completions, 0);
    driver.advance(0.02);
    EXPECT_EQ(completions, 1);
    EXPECT_DOUBLE_EQ(ui::View::recordedAnimations().back().duration, 0.3);
}

TEST_F(Animation, NestedAnimationsCommitInnerFirst)
{
    std::vector<std::string> stops;
    auto stop = [&](const std::string& name, bool, void*) { stops.push_back(name); };
    ui::View::beginAnimations("outer");
    ui::View::setAnimationDuration(0.5);
    ui::View::setAnimationDidStopSelector(stop);
    ui::View::beginAnimations("inner");
    ui::View::setAnimationDuration(0.1);
    ui::View::setAnimationDidStopSelector(stop);
    ui::View::commitAnimations();
    ui::View::commitAnimations();
    driver.advance(1);
    EXPECT_EQ(stops, (std::vector<std::string>{"inner", "outer"}));
}
