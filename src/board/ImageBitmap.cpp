#include "board/ImageBitmap.h"

ns::Ref<cg::BitmapContext> ImageBitmap::contextLike(const cg::Image& image, std::size_t width,
                                                    std::size_t height, cg::AlphaInfo alphaInfo)
{
    if (width == 0 || height == 0)
        return nullptr;
    // Grey with alpha and straight (not premultiplied) alpha are kinds a bitmap cannot be drawn in.
    if (image.colorSpace() == cg::ColorSpace::RGB) {
        if (auto context = cg::BitmapContext::create(width, height, 8, 0, cg::ColorSpace::RGB, alphaInfo))
            return context;
    }
    return cg::BitmapContext::create(width, height, 8, 0, cg::ColorSpace::RGB,
                                     cg::AlphaInfo::PremultipliedFirst);
}
