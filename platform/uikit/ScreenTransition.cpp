#include "uikit/ScreenTransition.h"

#include "foundation/Clock.h"
#include "graphics/Context.h"
#include "uikit/Render.h"
#include "uikit/View.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace ui {
namespace {

struct Running
{
    ns::Weak<View> incoming;
    ns::Ref<View> outgoing;
    ModalTransitionStyle style;
    bool presenting;
    ns::TimeInterval start;
    ns::TimeInterval duration;
    bool drawing = false;
};

// Main thread only, like every view.
std::vector<Running>& running()
{
    static std::vector<Running> list;
    return list;
}

// How far the transition has gone, eased in and out, from 0 to 1.
cg::Float progress(const Running& transition)
{
    double t =
        transition.duration > 0 ? (ns::Clock::current().now() - transition.start) / transition.duration : 1;
    t = std::clamp(t, 0.0, 1.0);
    return cg::Float(t * t * (3 - 2 * t));
}

void slid(const ns::Ref<cg::Context>& context, View& view, cg::Float fraction)
{
    drawViewTree(context, view, cg::AffineTransform::translation(0, fraction * view.bounds().size.height), 1);
}

} // namespace

void beginScreenTransition(const ns::Ref<View>& incoming, const ns::Ref<View>& outgoing,
                           ModalTransitionStyle style, bool presenting, ns::TimeInterval duration)
{
    if (!incoming || !outgoing || incoming == outgoing)
        return;
    endScreenTransition(incoming.get());
    running().push_back(Running{incoming, outgoing, style, presenting, ns::Clock::current().now(), duration});
}

void endScreenTransition(const View* incoming)
{
    std::erase_if(running(), [&](const Running& transition) {
        auto view = transition.incoming.lock();
        return !view || view.get() == incoming;
    });
}

bool screenTransitionRuns()
{
    return std::any_of(running().begin(), running().end(),
                       [](const Running& transition) { return !transition.incoming.expired(); });
}

bool drawScreenTransition(const ns::Ref<cg::Context>& context, View& view)
{
    auto found = std::find_if(running().begin(), running().end(), [&](const Running& transition) {
        return !transition.drawing && transition.incoming.lock().get() == &view;
    });
    if (found == running().end())
        return false;
    // A copy: drawing may change the list.
    Running transition = *found;
    found->drawing = true;
    View& outgoing = *transition.outgoing;
    cg::Float p = progress(transition);
    auto identity = cg::AffineTransform::identity();
    switch (transition.style) {
    case ModalTransitionStyle::CoverVertical:
        if (transition.presenting) {
            drawViewTree(context, outgoing, identity, 1);
            slid(context, view, 1 - p);
        } else {
            drawViewTree(context, view, identity, 1);
            slid(context, outgoing, p);
        }
        break;
    case ModalTransitionStyle::CrossDissolve:
        drawViewTree(context, outgoing, identity, 1);
        drawViewTree(context, view, identity, p);
        break;
    case ModalTransitionStyle::FlipHorizontal: {
        // The old screen turns edge-on in the first half, the new one turns back from edge-on in the
        // second; edge-on, nothing of either shows.
        cg::Float width = std::cos(p * std::numbers::pi_v<cg::Float>);
        View& shown = width > 0 ? outgoing : view;
        width = std::fabs(width);
        if (width > 0.01f)
            drawViewTree(context, shown, cg::AffineTransform::scale(width, 1), 1);
        break;
    }
    case ModalTransitionStyle::PartialCurl:
        if (transition.presenting) {
            drawViewTree(context, view, identity, 1);
            slid(context, outgoing, -p);
        } else {
            drawViewTree(context, outgoing, identity, 1);
            slid(context, view, -(1 - p));
        }
        break;
    }
    for (auto& entry : running())
        if (entry.incoming.lock().get() == &view)
            entry.drawing = false;
    return true;
}

} // namespace ui
