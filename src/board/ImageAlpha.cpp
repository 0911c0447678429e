#include "board/ImageAlpha.h"

#include "board/ImageBitmap.h"
#include "graphics/BitmapContext.h"
#include "uikit/Image.h"

bool ImageAlpha::hasAlpha(const ns::Ref<ui::Image>& image)
{
    return image && image->CGImage() && cg::carriesAlpha(image->CGImage()->alphaInfo());
}

ns::Ref<ui::Image> ImageAlpha::imageWithAlpha(const ns::Ref<ui::Image>& image)
{
    if (!image || !image->CGImage())
        return nullptr;
    if (hasAlpha(image))
        return image;
    const cg::Image& pixels = *image->CGImage();
    std::size_t width = pixels.width(), height = pixels.height();
    auto context = ImageBitmap::contextLike(pixels, width, height, cg::AlphaInfo::PremultipliedFirst);
    if (!context)
        return nullptr;
    context->drawImage(cg::makeRect(0, 0, float(width), float(height)), pixels);
    auto withAlpha = context->makeImage();
    if (!withAlpha)
        return nullptr;
    // The stored pixels are copied as they are, so the orientation still turns them upright.
    return ui::Image::imageWithCGImage(std::move(withAlpha), image->scale(), image->imageOrientation());
}

ns::Ref<ui::Image> ImageAlpha::transparentBorderImage(const ns::Ref<ui::Image>& image, unsigned borderSize)
{
    auto withAlpha = imageWithAlpha(image);
    auto upright = withAlpha ? withAlpha->upright() : nullptr;
    if (!upright)
        return nullptr;
    const cg::Image& pixels = *upright->CGImage();
    std::size_t border = borderSize;
    std::size_t width = pixels.width() + 2 * border, height = pixels.height() + 2 * border;
    auto context = ImageBitmap::contextLike(pixels, width, height, pixels.alphaInfo());
    if (!context)
        return nullptr;
    context->drawImage(
        cg::makeRect(float(border), float(border), float(pixels.width()), float(pixels.height())), pixels);
    auto drawn = context->makeImage();
    auto mask = newBorderMask(borderSize, cg::makeSize(float(width), float(height)));
    if (!drawn || !mask)
        return nullptr;
    auto bordered = drawn->masked(*mask);
    if (!bordered)
        return nullptr;
    return ui::Image::imageWithCGImage(std::move(bordered), upright->scale());
}

ns::Ref<cg::Image> ImageAlpha::newBorderMask(unsigned borderSize, cg::Size size)
{
    if (!(size.width >= 1) || !(size.height >= 1))
        return nullptr;
    auto context = cg::BitmapContext::create(std::size_t(size.width), std::size_t(size.height), 8, 0,
                                             cg::ColorSpace::Gray, cg::AlphaInfo::None);
    if (!context)
        return nullptr;
    float border = float(borderSize);
    context->setGrayFillColor(0, 1);
    context->fillRect(cg::makeRect(0, 0, size.width, size.height));
    if (size.width > 2 * border && size.height > 2 * border) {
        context->setGrayFillColor(1, 1);
        context->fillRect(cg::makeRect(border, border, size.width - 2 * border, size.height - 2 * border));
    }
    return context->makeImage();
}
