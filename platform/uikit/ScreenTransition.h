#pragma once

#include "foundation/Date.h"
#include "foundation/Object.h"
#include "uikit/ViewController.h"

namespace cg {
class Context;
}

namespace ui {

class View;

// A modal transition as the screen shows it while it runs. The view tree holds the end state from the
// start (`incoming` in its place, `outgoing` gone); drawing puts both where the transition has them at the
// current clock's time: a cover slides up over the old screen and down off the new one, a flip turns the
// old screen edge-on and the new one back, a dissolve fades one into the other, a curl lifts the old
// screen off the new one.
void beginScreenTransition(const ns::Ref<View>& incoming, const ns::Ref<View>& outgoing,
                           ModalTransitionStyle style, bool presenting, ns::TimeInterval duration);
void endScreenTransition(const View* incoming);
// Whether some transition is on the screen, so that the screen changes by itself.
bool screenTransitionRuns();
// Draws the view's running transition in the view's place; false when it has none.
bool drawScreenTransition(const ns::Ref<cg::Context>& context, View& view);

} // namespace ui
