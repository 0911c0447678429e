#pragma once

#include "graphics/BitmapContext.h"
#include "graphics/Context.h"
#include "uikit/Image.h"

namespace ui {

// The UI layer's stack of drawing contexts (one per thread): image contexts, and the contexts a view
// draws into while the renderer runs its drawRect. All are y-down (TopLeft) in points.

// A new image context of `size` points made current: not opaque, scale 1.
void beginImageContext(cg::Size size);
// Opaque contexts have no alpha. A scale of 0 means the main screen's scale.
void beginImageContextWithOptions(cg::Size size, bool opaque, float scale);
// The picture drawn so far in the current image context, at its scale; nothing when the current
// context is not an image context.
ns::Ref<Image> imageFromCurrentImageContext();
// Removes the current context when it is an image context.
void endImageContext();

// The current context of this thread, or nothing.
ns::Ref<cg::Context> currentContext();
void pushContext(ns::Ref<cg::Context> context);
void popContext();

} // namespace ui
