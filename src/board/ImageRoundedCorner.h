#pragma once

#include "foundation/Object.h"
#include "graphics/Context.h"
#include "graphics/Geometry.h"

namespace ui {
class Image;
}

// Pictures with rounded corners.
class ImageRoundedCorner
{
public:
    // The upright picture clipped to the rectangle `borderSize` inside its edges, with corners of
    // `cornerSize`; the band outside it is transparent.
    static ns::Ref<ui::Image> roundedCornerImage(const ns::Ref<ui::Image>& image, int cornerSize,
                                                 int borderSize);
    // Adds `rect` with elliptic corners of `ovalWidth` by `ovalHeight` to the current path of `context`, as
    // one closed subpath; the plain rectangle when either is 0.
    static void addRoundedRectToPath(cg::Rect rect, cg::Context& context, float ovalWidth, float ovalHeight);
};
