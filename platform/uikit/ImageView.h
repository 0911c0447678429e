#pragma once

#include "uikit/View.h"

#include <vector>

namespace ui {

class Image;

// Shows an image laid out by the content mode. It takes no touches unless told to.
class ImageView : public View
{
public:
    static ns::Ref<ImageView> create() { return ns::Factory<ImageView>::make(); }
    static ns::Ref<ImageView> create(cg::Rect frame) { return ns::Factory<ImageView>::make(frame); }
    static ns::Ref<ImageView> create(ns::Ref<Image> image)
    {
        return ns::Factory<ImageView>::make(std::move(image));
    }
    // Sized to the image.

    const ns::Ref<Image>& image() const { return m_image; }
    void setImage(ns::Ref<Image> image);
    const ns::Ref<Image>& highlightedImage() const { return m_highlightedImage; }
    void setHighlightedImage(ns::Ref<Image> image) { m_highlightedImage = std::move(image); }
    bool isHighlighted() const { return m_highlighted; }
    void setHighlighted(bool highlighted) { m_highlighted = highlighted; }
    // Recorded only: nothing animates.
    const std::vector<ns::Ref<Image>>& animationImages() const { return m_animationImages; }
    void setAnimationImages(std::vector<ns::Ref<Image>> images) { m_animationImages = std::move(images); }

    cg::Size sizeThatFits(cg::Size size) const override;
    void drawRect(cg::Context& context, cg::Rect rect) override;
    // Where the image goes inside `bounds` under `mode`.
    static cg::Rect imageRect(cg::Rect bounds, cg::Size imageSize, ContentMode mode);

    std::string className() const override { return "UIImageView"; }

protected:
    ImageView();
    explicit ImageView(cg::Rect frame);
    explicit ImageView(ns::Ref<Image> image);
    friend ns::Factory<ImageView>;

private:
    ns::Ref<Image> m_image;
    ns::Ref<Image> m_highlightedImage;
    bool m_highlighted = false;
    std::vector<ns::Ref<Image>> m_animationImages;
};

} // namespace ui
