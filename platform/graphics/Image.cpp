#include "graphics/Image.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace cg {

namespace {

uint8_t unpremultiply(uint32_t component, uint32_t alpha)
{
    if (alpha == 0)
        return 0;
    return uint8_t(std::min<uint32_t>(255, (component * 255 + alpha / 2) / alpha));
}

// Grey levels or coverage (A8) as a colour surface to paint with.
Surface expand(cairo_surface_t* a8, ColorSpace space)
{
    int w = cairo_image_surface_get_width(a8), h = cairo_image_surface_get_height(a8);
    bool grey = space == ColorSpace::Gray;
    Surface out(cairo_image_surface_create(grey ? CAIRO_FORMAT_RGB24 : CAIRO_FORMAT_ARGB32, w, h));
    cairo_surface_flush(a8);
    const uint8_t* src = cairo_image_surface_get_data(a8);
    int srcStride = cairo_image_surface_get_stride(a8);
    uint8_t* dst = cairo_image_surface_get_data(out.get());
    int dstStride = cairo_image_surface_get_stride(out.get());
    for (int y = 0; y < h; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(dst + std::size_t(y) * dstStride);
        for (int x = 0; x < w; ++x) {
            uint32_t v = src[std::size_t(y) * srcStride + x];
            row[x] = grey ? (0xff000000u | v << 16 | v << 8 | v) : v << 24;
        }
    }
    cairo_surface_mark_dirty(out.get());
    return out;
}

} // namespace

bool carriesAlpha(AlphaInfo info)
{
    return info == AlphaInfo::PremultipliedLast || info == AlphaInfo::PremultipliedFirst ||
           info == AlphaInfo::Last || info == AlphaInfo::First;
}

Image::Image(Surface surface, ColorSpace space, AlphaInfo alphaInfo, std::size_t bytesPerRow)
    : m_surface(std::move(surface)), m_colorSpace(space), m_alphaInfo(alphaInfo), m_bytesPerRow(bytesPerRow)
{
    if (cairo_image_surface_get_format(m_surface.get()) == CAIRO_FORMAT_A8)
        m_paintable = expand(m_surface.get(), space);
}

Image::~Image() = default;

std::size_t Image::width() const
{
    return std::size_t(cairo_image_surface_get_width(m_surface.get()));
}
std::size_t Image::height() const
{
    return std::size_t(cairo_image_surface_get_height(m_surface.get()));
}

std::size_t Image::bitsPerPixel() const
{
    return m_colorSpace == ColorSpace::RGB ? 32 : 8;
}

uint32_t Image::bitmapInfo() const
{
    uint32_t info = uint32_t(m_alphaInfo);
    bool first = m_alphaInfo == AlphaInfo::PremultipliedFirst || m_alphaInfo == AlphaInfo::First ||
                 m_alphaInfo == AlphaInfo::NoneSkipFirst;
    if (m_colorSpace == ColorSpace::RGB && first)
        info |= 2u << 12; // 32-bit little endian: blue, green, red, alpha in memory
    return info;
}

void Image::pixelBytes(std::size_t x, std::size_t y, uint8_t rgba[4]) const
{
    rgba[0] = rgba[1] = rgba[2] = rgba[3] = 0;
    if (x >= width() || y >= height())
        return;
    cairo_surface_flush(m_surface.get());
    const uint8_t* data = cairo_image_surface_get_data(m_surface.get());
    std::size_t stride = std::size_t(cairo_image_surface_get_stride(m_surface.get()));
    switch (cairo_image_surface_get_format(m_surface.get())) {
    case CAIRO_FORMAT_A8: {
        uint8_t v = data[y * stride + x];
        if (m_colorSpace == ColorSpace::Gray) {
            rgba[0] = rgba[1] = rgba[2] = v;
            rgba[3] = 255;
        } else {
            rgba[3] = v;
        }
        return;
    }
    case CAIRO_FORMAT_RGB24: {
        uint32_t p = reinterpret_cast<const uint32_t*>(data + y * stride)[x];
        rgba[0] = uint8_t(p >> 16);
        rgba[1] = uint8_t(p >> 8);
        rgba[2] = uint8_t(p);
        rgba[3] = 255;
        return;
    }
    case CAIRO_FORMAT_ARGB32: {
        uint32_t p = reinterpret_cast<const uint32_t*>(data + y * stride)[x];
        uint32_t a = p >> 24;
        rgba[0] = unpremultiply((p >> 16) & 0xff, a);
        rgba[1] = unpremultiply((p >> 8) & 0xff, a);
        rgba[2] = unpremultiply(p & 0xff, a);
        rgba[3] = uint8_t(a);
        return;
    }
    default:
        return;
    }
}

Color Image::pixel(std::size_t x, std::size_t y) const
{
    uint8_t rgba[4];
    pixelBytes(x, y, rgba);
    return Color{rgba[0] / 255.0f, rgba[1] / 255.0f, rgba[2] / 255.0f, rgba[3] / 255.0f};
}

Ref<Image> Image::cropped(const Rect& rect) const
{
    Rect r = intersection(integral(rect), makeRect(0, 0, Float(width()), Float(height())));
    if (!std::isfinite(r.origin.x) || r.isEmpty())
        return nullptr;
    auto x0 = std::size_t(r.origin.x), y0 = std::size_t(r.origin.y);
    auto w = std::size_t(r.size.width), h = std::size_t(r.size.height);
    cairo_format_t format = cairo_image_surface_get_format(m_surface.get());
    Surface out(cairo_image_surface_create(format, int(w), int(h)));
    if (cairo_surface_status(out.get()) != CAIRO_STATUS_SUCCESS)
        return nullptr;
    cairo_surface_flush(m_surface.get());
    std::size_t bytesPerPixel = format == CAIRO_FORMAT_A8 ? 1 : 4;
    const uint8_t* src = cairo_image_surface_get_data(m_surface.get());
    std::size_t srcStride = std::size_t(cairo_image_surface_get_stride(m_surface.get()));
    uint8_t* dst = cairo_image_surface_get_data(out.get());
    std::size_t dstStride = std::size_t(cairo_image_surface_get_stride(out.get()));
    for (std::size_t y = 0; y < h; ++y)
        std::memcpy(dst + y * dstStride, src + (y0 + y) * srcStride + x0 * bytesPerPixel, w * bytesPerPixel);
    cairo_surface_mark_dirty(out.get());
    std::size_t rowBytes = w * bytesPerPixel;
    return Image::create(std::move(out), m_colorSpace, m_alphaInfo, rowBytes);
}

Ref<Image> Image::masked(const Image& mask) const
{
    if (mask.colorSpace() == ColorSpace::RGB ||
        cairo_image_surface_get_format(mask.m_surface.get()) != CAIRO_FORMAT_A8)
        return nullptr;
    int w = int(width()), h = int(height());
    Surface out(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h));
    {
        ns::CHandle<cairo_t, cairo_destroy> cr(cairo_create(out.get()));
        cairo_set_source_surface(cr.get(), paintableSurface(), 0, 0);
        // The mask's levels are its alpha: white keeps, black removes; it is stretched over the image.
        ns::CHandle<cairo_pattern_t, cairo_pattern_destroy> maskPattern(
            cairo_pattern_create_for_surface(mask.m_surface.get()));
        cairo_matrix_t m;
        cairo_matrix_init_scale(&m, double(mask.width()) / w, double(mask.height()) / h);
        cairo_pattern_set_matrix(maskPattern.get(), &m);
        cairo_pattern_set_extend(maskPattern.get(), CAIRO_EXTEND_PAD);
        cairo_mask(cr.get(), maskPattern.get());
    }
    cairo_surface_flush(out.get());
    AlphaInfo info = carriesAlpha(m_alphaInfo) ? m_alphaInfo : AlphaInfo::PremultipliedFirst;
    return Image::create(std::move(out), ColorSpace::RGB, info, std::size_t(w) * 4);
}

} // namespace cg
