#pragma once

#include "foundation/Object.h"
#include "graphics/Context.h"
#include "graphics/Geometry.h"
#include "uikit/View.h"

namespace ui {
class Image;
}

// Cropping, scaling (with the picture's orientation undone) and thumbnails. Each operation makes a new
// picture and leaves the one given as it was; a picture that cannot be made gives nothing.
class ImageResize
{
public:
    // The part of the upright picture inside `bounds` (points).
    static ns::Ref<ui::Image> croppedImage(const ns::Ref<ui::Image>& image, cg::Rect bounds);
    // A square of `thumbnailSize` filled by the picture and cut from its middle, with an optional transparent
    // border and rounded corners.
    static ns::Ref<ui::Image> thumbnailImage(const ns::Ref<ui::Image>& image, int thumbnailSize,
                                             unsigned borderSize, unsigned cornerRadius,
                                             cg::InterpolationQuality quality);
    // The upright picture scaled to `newSize`.
    static ns::Ref<ui::Image> resizedImage(const ns::Ref<ui::Image>& image, cg::Size newSize,
                                           cg::InterpolationQuality quality);
    // Scaled to fit in (aspect fit) or to fill (aspect fill) `bounds`, keeping its proportions; any other
    // mode raises an invalid-argument exception.
    static ns::Ref<ui::Image> resizedImageWithContentMode(const ns::Ref<ui::Image>& image,
                                                          ui::ContentMode contentMode, cg::Size bounds,
                                                          cg::InterpolationQuality quality);
    // The stored pixels drawn through `transform` into a `newSize` bitmap, into the rectangle with width and
    // height swapped when `transpose` is set.
    static ns::Ref<ui::Image> resizedImage(const ns::Ref<ui::Image>& image, cg::Size newSize,
                                           const cg::AffineTransform& transform, bool transpose,
                                           cg::InterpolationQuality quality);
    // What turns the stored pixels of `image` upright in a `newSize` picture (y up).
    static cg::AffineTransform transformForOrientation(const ns::Ref<ui::Image>& image, cg::Size newSize);
};
