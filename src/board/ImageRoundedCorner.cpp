#include "board/ImageRoundedCorner.h"

#include "board/ImageAlpha.h"
#include "board/ImageBitmap.h"
#include "uikit/Image.h"

ns::Ref<ui::Image> ImageRoundedCorner::roundedCornerImage(const ns::Ref<ui::Image>& image, int cornerSize,
                                                          int borderSize)
{
    auto withAlpha = ImageAlpha::imageWithAlpha(image);
    auto upright = withAlpha ? withAlpha->upright() : nullptr;
    if (!upright)
        return nullptr;
    const cg::Image& pixels = *upright->CGImage();
    float width = float(pixels.width()), height = float(pixels.height());
    auto context = ImageBitmap::contextLike(pixels, pixels.width(), pixels.height(), pixels.alphaInfo());
    if (!context)
        return nullptr;
    float border = float(borderSize);
    // A border that leaves nothing inside leaves the whole picture transparent.
    if (width > 2 * border && height > 2 * border) {
        context->beginPath();
        addRoundedRectToPath(cg::makeRect(border, border, width - 2 * border, height - 2 * border), *context,
                             float(cornerSize), float(cornerSize));
        context->closePath();
        context->clip();
        context->drawImage(cg::makeRect(0, 0, width, height), pixels);
    }
    auto rounded = context->makeImage();
    if (!rounded)
        return nullptr;
    return ui::Image::imageWithCGImage(std::move(rounded), upright->scale());
}

void ImageRoundedCorner::addRoundedRectToPath(cg::Rect rect, cg::Context& context, float ovalWidth,
                                              float ovalHeight)
{
    if (ovalWidth == 0 || ovalHeight == 0) {
        context.addRect(rect);
        return;
    }
    context.saveGState();
    context.translateCTM(rect.minX(), rect.minY());
    context.scaleCTM(ovalWidth, ovalHeight);
    float fw = rect.width() / ovalWidth;
    float fh = rect.height() / ovalHeight;
    context.moveToPoint(fw, fh / 2);
    context.addArcToPoint(fw, fh, fw / 2, fh, 1);
    context.addArcToPoint(0, fh, 0, fh / 2, 1);
    context.addArcToPoint(0, 0, fw / 2, 0, 1);
    context.addArcToPoint(fw, 0, fw, fh / 2, 1);
    context.closePath();
    context.restoreGState();
}
