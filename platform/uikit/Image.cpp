#include "uikit/Image.h"

namespace ui {

Image::Image(ns::Ref<cg::Image> image, float scale, ImageOrientation orientation)
    : m_image(std::move(image)), m_scale(scale > 0 ? scale : 1), m_orientation(orientation)
{
}

ns::Ref<Image> Image::imageNamed(const std::string&) { return nullptr; }
void Image::setResourcePath(const std::string&) {}
std::string Image::resourcePath() { return {}; }
void Image::clearNamedCache() {}
ns::Ref<Image> Image::imageWithContentsOfFile(const std::string&) { return nullptr; }
ns::Ref<Image> Image::imageWithData(const ns::Data&, float) { return nullptr; }
ns::Ref<Image> Image::imageWithData(const ns::Ref<ns::Data>&, float) { return nullptr; }
ns::Ref<Image> Image::imageWithCGImage(ns::Ref<cg::Image> image, float scale, ImageOrientation orientation)
{
    if (!image)
        return nullptr;
    return ns::make<Image>(std::move(image), scale, orientation);
}
cg::Size Image::size() const { return {}; }
void Image::drawInRect(const cg::Rect&) const {}
void Image::drawInRect(const cg::Rect&, cg::BlendMode, float) const {}
void Image::drawAtPoint(const cg::Point&) const {}
void Image::drawAtPoint(const cg::Point&, cg::BlendMode, float) const {}
void Image::drawInContext(cg::Context&, const cg::Rect&, cg::BlendMode, float) const {}
ns::Ref<Image> Image::upright() const { return nullptr; }
std::string Image::description() const { return "<UIImage>"; }

ns::Ref<ns::Data> ImagePNGRepresentation(const ns::Ref<Image>&) { return nullptr; }
ns::Ref<ns::Data> ImageJPEGRepresentation(const ns::Ref<Image>&, float) { return nullptr; }

} // namespace ui
