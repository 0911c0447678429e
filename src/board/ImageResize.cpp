#include "board/ImageResize.h"

#include "board/ImageAlpha.h"
#include "board/ImageRoundedCorner.h"
#include "foundation/Exception.h"
#include "foundation/Format.h"
#include "graphics/BitmapContext.h"
#include "uikit/Image.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

using Orientation = ui::ImageOrientation;

} // namespace

ns::Ref<ui::Image> ImageResize::croppedImage(const ns::Ref<ui::Image>& image, cg::Rect bounds)
{
    auto upright = image ? image->upright() : nullptr;
    if (!upright)
        return nullptr;
    float scale = upright->scale();
    cg::Rect pixels = cg::makeRect(bounds.origin.x * scale, bounds.origin.y * scale,
                                   bounds.size.width * scale, bounds.size.height * scale);
    auto cropped = upright->CGImage()->cropped(cg::standardize(pixels));
    if (!cropped)
        return nullptr;
    return ui::Image::imageWithCGImage(std::move(cropped), scale);
}

ns::Ref<ui::Image> ImageResize::thumbnailImage(const ns::Ref<ui::Image>& image, int thumbnailSize,
                                               unsigned borderSize, unsigned cornerRadius,
                                               cg::InterpolationQuality quality)
{
    if (!image || thumbnailSize <= 0)
        return nullptr;
    float side = float(thumbnailSize);
    auto resized = resizedImageWithContentMode(image, ui::ContentMode::ScaleAspectFill,
                                               cg::makeSize(side, side), quality);
    if (!resized)
        return nullptr;
    cg::Size size = resized->size();
    cg::Rect square =
        cg::makeRect(std::round((size.width - side) / 2), std::round((size.height - side) / 2), side, side);
    auto thumbnail = croppedImage(resized, square);
    if (thumbnail && borderSize > 0)
        thumbnail = ImageAlpha::transparentBorderImage(thumbnail, borderSize);
    if (!thumbnail)
        return nullptr;
    return ImageRoundedCorner::roundedCornerImage(thumbnail, int(cornerRadius), int(borderSize));
}

ns::Ref<ui::Image> ImageResize::resizedImage(const ns::Ref<ui::Image>& image, cg::Size newSize,
                                             cg::InterpolationQuality quality)
{
    if (!image)
        return nullptr;
    bool transpose = false;
    switch (image->imageOrientation()) {
    case Orientation::Left:
    case Orientation::LeftMirrored:
    case Orientation::Right:
    case Orientation::RightMirrored:
        transpose = true;
        break;
    default:
        break;
    }
    return resizedImage(image, newSize, transformForOrientation(image, newSize), transpose, quality);
}

ns::Ref<ui::Image> ImageResize::resizedImageWithContentMode(const ns::Ref<ui::Image>& image,
                                                            ui::ContentMode contentMode, cg::Size bounds,
                                                            cg::InterpolationQuality quality)
{
    if (contentMode != ui::ContentMode::ScaleAspectFit && contentMode != ui::ContentMode::ScaleAspectFill)
        ns::raise(ns::InvalidArgumentException, ns::format("Unsupported content mode: %d", int(contentMode)));
    if (!image)
        return nullptr;
    cg::Size size = image->size();
    if (!(size.width > 0) || !(size.height > 0))
        return nullptr;
    float horizontal = bounds.width / size.width;
    float vertical = bounds.height / size.height;
    float ratio = contentMode == ui::ContentMode::ScaleAspectFit ? std::min(horizontal, vertical)
                                                                 : std::max(horizontal, vertical);
    return resizedImage(image, cg::makeSize(size.width * ratio, size.height * ratio), quality);
}

ns::Ref<ui::Image> ImageResize::resizedImage(const ns::Ref<ui::Image>& image, cg::Size newSize,
                                             const cg::AffineTransform& transform, bool transpose,
                                             cg::InterpolationQuality quality)
{
    if (!image || !image->CGImage())
        return nullptr;
    if (!std::isfinite(newSize.width) || !std::isfinite(newSize.height))
        return nullptr;
    cg::Rect newRect = cg::integral(cg::makeRect(0, 0, newSize.width, newSize.height));
    cg::Rect transposedRect = cg::makeRect(0, 0, newRect.size.height, newRect.size.width);
    if (!(newRect.size.width >= 1) || !(newRect.size.height >= 1))
        return nullptr;
    auto context =
        cg::BitmapContext::create(std::size_t(newRect.size.width), std::size_t(newRect.size.height), 8, 0,
                                  cg::ColorSpace::RGB, cg::AlphaInfo::PremultipliedFirst);
    if (!context)
        return nullptr;
    context->concatCTM(transform);
    context->setInterpolationQuality(quality);
    context->drawImage(transpose ? transposedRect : newRect, *image->CGImage());
    auto resized = context->makeImage();
    if (!resized)
        return nullptr;
    return ui::Image::imageWithCGImage(std::move(resized));
}

cg::AffineTransform ImageResize::transformForOrientation(const ns::Ref<ui::Image>& image, cg::Size newSize)
{
    cg::AffineTransform transform;
    if (!image)
        return transform;
    const float pi = std::numbers::pi_v<float>;
    Orientation orientation = image->imageOrientation();
    switch (orientation) {
    case Orientation::Down:
    case Orientation::DownMirrored:
        transform = cg::translate(transform, newSize.width, newSize.height);
        transform = cg::rotate(transform, pi);
        break;
    case Orientation::Left:
    case Orientation::LeftMirrored:
        transform = cg::translate(transform, newSize.width, 0);
        transform = cg::rotate(transform, pi / 2);
        break;
    case Orientation::Right:
    case Orientation::RightMirrored:
        transform = cg::translate(transform, 0, newSize.height);
        transform = cg::rotate(transform, -pi / 2);
        break;
    default:
        break;
    }
    switch (orientation) {
    case Orientation::UpMirrored:
    case Orientation::DownMirrored:
        transform = cg::translate(transform, newSize.width, 0);
        transform = cg::scale(transform, -1, 1);
        break;
    case Orientation::LeftMirrored:
    case Orientation::RightMirrored:
        transform = cg::translate(transform, newSize.height, 0);
        transform = cg::scale(transform, -1, 1);
        break;
    default:
        break;
    }
    return transform;
}
