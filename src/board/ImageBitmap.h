#pragma once

#include "graphics/BitmapContext.h"
#include "graphics/Image.h"

#include <cstddef>

// Bitmaps for redrawing a picture: the picture's own kind of pixels where a bitmap can be drawn into with
// that kind, else premultiplied RGB, which every picture can be drawn into without loss.
class ImageBitmap
{
public:
    static ns::Ref<cg::BitmapContext> contextLike(const cg::Image& image, std::size_t width,
                                                  std::size_t height, cg::AlphaInfo alphaInfo);
};
