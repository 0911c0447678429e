#pragma once

#include "foundation/Data.h"
#include "foundation/Object.h"
#include "graphics/Geometry.h"

#include <string>

namespace cg {
class BitmapContext;
class Context;
} // namespace cg

namespace ui {

class View;
class Window;

// Draws the window and every visible window above its level (alerts, sheets) as the screen shows them,
// at 1 or 2 pixels per point, into PNG bytes. Layout runs first. Nothing for a scale other than 1 or 2.
ns::Ref<ns::Data> render(Window& window, float scale = 1);
// Every visible window of the application, lowest level first, with the status bar.
ns::Ref<ns::Data> renderScreen(float scale = 1);
// The same pictures as pixels (row 0 on top), for probing.
ns::Ref<cg::BitmapContext> renderBitmap(Window& window, float scale = 1);
ns::Ref<cg::BitmapContext> renderScreenBitmap(float scale = 1);
// Writes the PNG atomically; false when it could not be drawn or written.
bool renderToFile(Window& window, float scale, const std::string& path);
bool renderScreenToFile(float scale, const std::string& path);

// Draws one view and its subviews into a y-down context whose user space is the view's superview's
// coordinates: background, drawRect, subviews, border; transforms and alpha applied, hidden views
// skipped.
void drawViewTree(const ns::Ref<cg::Context>& context, View& view);
// The same with `extra` applied in the view's own space (about its centre, after its transform) and its
// alpha multiplied by `alpha`; a running screen transition of the view is not drawn.
void drawViewTree(const ns::Ref<cg::Context>& context, View& view, const cg::AffineTransform& extra,
                  cg::Float alpha);
// The view and its subviews in the view's own coordinates (its bounds), without its position,
// transform or alpha: what rendering its layer into a context draws.
void drawViewContent(cg::Context& context, View& view);

} // namespace ui
