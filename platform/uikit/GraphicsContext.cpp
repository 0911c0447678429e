#include "uikit/GraphicsContext.h"

namespace ui {

void beginImageContext(cg::Size) {}
void beginImageContextWithOptions(cg::Size, bool, float) {}
ns::Ref<Image> imageFromCurrentImageContext() { return nullptr; }
void endImageContext() {}
ns::Ref<cg::Context> currentContext() { return nullptr; }
void pushContext(ns::Ref<cg::Context>) {}
void popContext() {}

} // namespace ui
