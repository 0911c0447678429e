// The animation half of ui::View: changes apply at once, the end is reported on the main run loop.
#include "foundation/RunLoop.h"
#include "uikit/View.h"

#include <mutex>

namespace ui {
namespace {

struct PendingAnimation
{
    AnimationRecord record;
    void* context = nullptr;
    ns::Id delegate;
    View::DidStop didStop;
    std::function<void(const std::string&, void*)> willStart;
};

struct AnimationState
{
    std::vector<PendingAnimation> open; // begun, not yet committed (they nest)
    std::vector<AnimationRecord> recorded;
    bool enabled = true;
};

AnimationState& state()
{
    static AnimationState s;
    return s;
}

void scheduleEnd(ns::TimeInterval after, std::function<void()> end)
{
    ns::RunLoop::main().performAfterDelay(&state(), "animationDidStop", after, std::move(end));
}

} // namespace

void View::beginAnimations(std::string name, void* context)
{
    PendingAnimation animation;
    animation.record.name = std::move(name);
    animation.context = context;
    state().open.push_back(std::move(animation));
}

void View::setAnimationDuration(ns::TimeInterval duration)
{
    if (!state().open.empty())
        state().open.back().record.duration = duration;
}

void View::setAnimationDelay(ns::TimeInterval delay)
{
    if (!state().open.empty())
        state().open.back().record.delay = delay;
}

void View::setAnimationCurve(AnimationCurve curve)
{
    if (!state().open.empty())
        state().open.back().record.curve = curve;
}

void View::setAnimationBeginsFromCurrentState(bool fromCurrentState)
{
    if (!state().open.empty())
        state().open.back().record.beginsFromCurrentState = fromCurrentState;
}

void View::setAnimationDelegate(ns::Id delegate)
{
    if (!state().open.empty())
        state().open.back().delegate = std::move(delegate);
}

void View::setAnimationDidStopSelector(DidStop didStop)
{
    if (!state().open.empty())
        state().open.back().didStop = std::move(didStop);
}

void View::setAnimationWillStartSelector(std::function<void(const std::string&, void*)> willStart)
{
    if (!state().open.empty())
        state().open.back().willStart = std::move(willStart);
}

void View::commitAnimations()
{
    auto& s = state();
    if (s.open.empty())
        return;
    PendingAnimation animation = std::move(s.open.back());
    s.open.pop_back();
    s.recorded.push_back(animation.record);
    if (animation.willStart)
        animation.willStart(animation.record.name, animation.context);
    if (!animation.didStop)
        return;
    ns::TimeInterval after = s.enabled ? animation.record.delay + animation.record.duration : 0;
    scheduleEnd(after, [animation = std::move(animation)] {
        animation.didStop(animation.record.name, true, animation.context);
    });
}

bool View::areAnimationsEnabled()
{
    return state().enabled;
}

void View::setAnimationsEnabled(bool enabled)
{
    state().enabled = enabled;
}

void View::animateWithDuration(ns::TimeInterval duration, const std::function<void()>& animations,
                               std::function<void(bool)> completion)
{
    animateWithDuration(duration, 0, 0, animations, std::move(completion));
}

void View::animateWithDuration(ns::TimeInterval duration, ns::TimeInterval delay, unsigned,
                               const std::function<void()>& animations, std::function<void(bool)> completion)
{
    auto& s = state();
    AnimationRecord record;
    record.duration = duration;
    record.delay = delay;
    s.recorded.push_back(record);
    if (animations)
        animations();
    if (!completion)
        return;
    scheduleEnd(s.enabled ? delay + duration : 0, [completion = std::move(completion)] { completion(true); });
}

std::vector<AnimationRecord> View::recordedAnimations()
{
    return state().recorded;
}

void View::clearRecordedAnimations()
{
    state().recorded.clear();
}

} // namespace ui
