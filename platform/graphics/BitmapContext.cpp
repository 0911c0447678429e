#include "graphics/BitmapContext.h"

#include <cairo.h>

#include <cmath>
#include <cstring>

namespace cg {

namespace {

// Larger pictures than the screen ever needs are refused rather than risking memory.
constexpr std::size_t maximumSide = 16384;
constexpr std::size_t maximumPixels = std::size_t(64) << 20;

} // namespace

ns::Ref<BitmapContext> BitmapContext::create(std::size_t width, std::size_t height,
                                             std::size_t bitsPerComponent, std::size_t bytesPerRow,
                                             ColorSpace space, AlphaInfo alphaInfo, Origin origin,
                                             Float scale)
{
    if (width == 0 || height == 0 || width > maximumSide || height > maximumSide ||
        width * height > maximumPixels || bitsPerComponent != 8 || !(scale > 0) || !std::isfinite(scale))
        return nullptr;
    cairo_format_t format;
    std::size_t bytesPerPixel;
    switch (space) {
    case ColorSpace::RGB:
        bytesPerPixel = 4;
        if (alphaInfo == AlphaInfo::PremultipliedFirst || alphaInfo == AlphaInfo::PremultipliedLast)
            format = CAIRO_FORMAT_ARGB32;
        else if (alphaInfo == AlphaInfo::NoneSkipFirst || alphaInfo == AlphaInfo::NoneSkipLast ||
                 alphaInfo == AlphaInfo::None)
            format = CAIRO_FORMAT_RGB24;
        else
            return nullptr;
        break;
    case ColorSpace::Gray:
        if (alphaInfo != AlphaInfo::None)
            return nullptr;
        bytesPerPixel = 1;
        format = CAIRO_FORMAT_RGB24; // drawn in colour, reduced to levels when imaged
        break;
    case ColorSpace::None:
        if (alphaInfo != AlphaInfo::Only)
            return nullptr;
        bytesPerPixel = 1;
        format = CAIRO_FORMAT_A8;
        break;
    default:
        return nullptr;
    }
    if (bytesPerRow == 0)
        bytesPerRow = width * bytesPerPixel;
    else if (bytesPerRow < width * bytesPerPixel)
        return nullptr;
    Surface surface(cairo_image_surface_create(format, int(width), int(height)));
    if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS)
        return nullptr;
    return ns::Factory<BitmapContext>::make(std::move(surface), width, height, bytesPerRow, space, alphaInfo,
                                            origin, scale);
}

BitmapContext::BitmapContext(Surface surface, std::size_t width, std::size_t height, std::size_t bytesPerRow,
                             ColorSpace space, AlphaInfo alphaInfo, Origin origin, Float scale)
    : Context(std::move(surface), origin, Float(height), scale), m_width(width), m_height(height),
      m_bytesPerRow(bytesPerRow), m_colorSpace(space), m_alphaInfo(alphaInfo), m_scale(scale)
{
}

std::size_t BitmapContext::bitsPerPixel() const
{
    return m_colorSpace == ColorSpace::RGB ? 32 : 8;
}

ns::Ref<Image> BitmapContext::makeImage()
{
    cairo_surface_t* source = surfaceHandle();
    cairo_surface_flush(source);
    cairo_format_t format = cairo_image_surface_get_format(source);
    bool grey = m_colorSpace == ColorSpace::Gray;
    cairo_format_t outFormat = grey ? CAIRO_FORMAT_A8 : format;
    Surface out(cairo_image_surface_create(outFormat, int(m_width), int(m_height)));
    if (cairo_surface_status(out.get()) != CAIRO_STATUS_SUCCESS)
        return nullptr;
    const uint8_t* src = cairo_image_surface_get_data(source);
    std::size_t srcStride = std::size_t(cairo_image_surface_get_stride(source));
    uint8_t* dst = cairo_image_surface_get_data(out.get());
    std::size_t dstStride = std::size_t(cairo_image_surface_get_stride(out.get()));
    for (std::size_t y = 0; y < m_height; ++y) {
        if (!grey) {
            std::memcpy(dst + y * dstStride, src + y * srcStride,
                        m_width * (format == CAIRO_FORMAT_A8 ? 1 : 4));
            continue;
        }
        auto* row = reinterpret_cast<const uint32_t*>(src + y * srcStride);
        for (std::size_t x = 0; x < m_width; ++x) {
            uint32_t p = row[x];
            uint32_t r = (p >> 16) & 0xff, g = (p >> 8) & 0xff, b = p & 0xff;
            dst[y * dstStride + x] = uint8_t((r * 299 + g * 587 + b * 114 + 500) / 1000);
        }
    }
    cairo_surface_mark_dirty(out.get());
    return Image::create(std::move(out), m_colorSpace, m_alphaInfo, m_bytesPerRow);
}

Color BitmapContext::pixel(std::size_t x, std::size_t y)
{
    if (x >= m_width || y >= m_height)
        return Color{0, 0, 0, 0};
    auto image = makeImage();
    return image ? image->pixel(x, y) : Color{0, 0, 0, 0};
}

} // namespace cg
