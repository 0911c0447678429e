#include "uikit/ImageView.h"

#include "uikit/Image.h"

#include <algorithm>

namespace ui {

ImageView::ImageView() : ImageView(cg::Rect{})
{
}

ImageView::ImageView(cg::Rect frame) : View(frame)
{
    setUserInteractionEnabled(false);
}

ImageView::ImageView(ns::Ref<Image> image) : ImageView(cg::Rect{})
{
    if (image)
        setFrame(cg::Rect{{0, 0}, image->size()});
    m_image = std::move(image);
}

void ImageView::setImage(ns::Ref<Image> image)
{
    m_image = std::move(image);
    setNeedsDisplay();
}

cg::Size ImageView::sizeThatFits(cg::Size) const
{
    return m_image ? m_image->size() : cg::Size{};
}

cg::Rect ImageView::imageRect(cg::Rect b, cg::Size s, ContentMode mode)
{
    if (s.width <= 0 || s.height <= 0)
        return b;
    switch (mode) {
    case ContentMode::ScaleToFill:
    case ContentMode::Redraw:
        return b;
    case ContentMode::ScaleAspectFit:
    case ContentMode::ScaleAspectFill: {
        cg::Float sx = b.size.width / s.width, sy = b.size.height / s.height;
        cg::Float k = mode == ContentMode::ScaleAspectFit ? std::min(sx, sy) : std::max(sx, sy);
        cg::Float w = s.width * k, h = s.height * k;
        return cg::makeRect(b.origin.x + (b.size.width - w) / 2, b.origin.y + (b.size.height - h) / 2, w, h);
    }
    default:
        break;
    }
    cg::Float x = b.origin.x + (b.size.width - s.width) / 2;
    cg::Float y = b.origin.y + (b.size.height - s.height) / 2;
    switch (mode) {
    case ContentMode::Top:
        y = b.origin.y;
        break;
    case ContentMode::Bottom:
        y = b.origin.y + b.size.height - s.height;
        break;
    case ContentMode::Left:
        x = b.origin.x;
        break;
    case ContentMode::Right:
        x = b.origin.x + b.size.width - s.width;
        break;
    case ContentMode::TopLeft:
        x = b.origin.x;
        y = b.origin.y;
        break;
    case ContentMode::TopRight:
        x = b.origin.x + b.size.width - s.width;
        y = b.origin.y;
        break;
    case ContentMode::BottomLeft:
        x = b.origin.x;
        y = b.origin.y + b.size.height - s.height;
        break;
    case ContentMode::BottomRight:
        x = b.origin.x + b.size.width - s.width;
        y = b.origin.y + b.size.height - s.height;
        break;
    default:
        break;
    }
    return cg::makeRect(x, y, s.width, s.height);
}

void ImageView::drawRect(cg::Context& context, cg::Rect)
{
    const ns::Ref<Image>& image = m_highlighted && m_highlightedImage ? m_highlightedImage : m_image;
    if (!image)
        return;
    image->drawInContext(context, imageRect(bounds(), image->size(), contentMode()));
}

} // namespace ui
