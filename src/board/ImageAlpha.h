#pragma once

#include "foundation/Object.h"
#include "graphics/Geometry.h"
#include "graphics/Image.h"

namespace ui {
class Image;
}

// Pictures with an alpha channel and a transparent border.
class ImageAlpha
{
public:
    // Whether the pixels carry alpha (premultiplied or not, first or last).
    static bool hasAlpha(const ns::Ref<ui::Image>& image);
    // The image itself when it has alpha, else the same picture redrawn into pixels that carry alpha.
    static ns::Ref<ui::Image> imageWithAlpha(const ns::Ref<ui::Image>& image);
    // The upright picture framed by `borderSize` fully transparent pixels on every side.
    static ns::Ref<ui::Image> transparentBorderImage(const ns::Ref<ui::Image>& image, unsigned borderSize);
    // A grey mask of `size` pixels: black (removes) in a band of `borderSize`, white (keeps) inside it.
    static ns::Ref<cg::Image> newBorderMask(unsigned borderSize, cg::Size size);
};
