#pragma once

#include "foundation/CHandle.h"
#include "foundation/Object.h"
#include "graphics/Color.h"
#include "graphics/Geometry.h"

#include <cairo.h>

#include <cstdint>

namespace cg {

template <class T> using Ref = ns::Ref<T>;
// One reference of a cairo surface.
using Surface = ns::CHandle<cairo_surface_t, cairo_surface_destroy>;

enum class ColorSpace {
    None, // alpha-only images and masks carry no colour
    RGB,
    Gray,
};

// How a pixel carries alpha; the values are the platform's.
enum class AlphaInfo : uint32_t {
    None = 0,
    PremultipliedLast = 1,
    PremultipliedFirst = 2,
    Last = 3,
    First = 4,
    NoneSkipLast = 5,
    NoneSkipFirst = 6,
    Only = 7,
};

// Whether pixels of this kind carry alpha (premultiplied or not, first or last).
bool carriesAlpha(AlphaInfo info);

// An immutable bitmap image. Row 0 is the top row of the picture.
//
// Pixels live in a cairo image surface: colour images as ARGB32 (premultiplied, blue first in memory)
// or RGB24, grey images and alpha-only images as A8 (the byte is the grey level or the coverage). The
// queries answer what the image was made as, which is what callers of the platform see.
class Image
{
public:
    static ns::Ref<Image> create(Surface surface, ColorSpace space, AlphaInfo alphaInfo,
                                 std::size_t bytesPerRow)
    {
        return ns::Factory<Image>::make(std::move(surface), space, alphaInfo, bytesPerRow);
    }
    ~Image();
    Image(const Image&) = delete;
    Image& operator=(const Image&) = delete;

    std::size_t width() const;
    std::size_t height() const;
    std::size_t bitsPerComponent() const { return 8; }
    std::size_t bitsPerPixel() const;
    std::size_t bytesPerRow() const { return m_bytesPerRow; }
    ColorSpace colorSpace() const { return m_colorSpace; }
    AlphaInfo alphaInfo() const { return m_alphaInfo; }
    // The alpha kind in the low five bits, the byte order (32-bit little for colour) above them.
    uint32_t bitmapInfo() const;

    // The pixel at (x, y), row 0 on top, with alpha unpremultiplied; grey images answer r = g = b =
    // level, alpha-only ones black with their coverage. Outside the image: all zero.
    Color pixel(std::size_t x, std::size_t y) const;
    // Bytes of the pixel at (x, y) as straight 8-bit red, green, blue, alpha.
    void pixelBytes(std::size_t x, std::size_t y, uint8_t rgba[4]) const;

    // The part inside `rect` (pixels, row 0 on top) clipped to the image, or nothing when they do not
    // overlap. Fractional edges widen to whole pixels.
    Ref<Image> cropped(const Rect& rect) const;
    // This image with `mask` as its alpha: a grey mask's white keeps, its black removes; an alpha-only
    // mask's coverage keeps. The mask is stretched over the image. Nothing when `mask` is no mask.
    Ref<Image> masked(const Image& mask) const;

    // The surface, for drawing; owned by the image.
    cairo_surface_t* surface() const { return m_surface.get(); }
    // A colour surface (ARGB32 or RGB24) to paint the image with: grey expands to RGB, alpha-only to
    // black with coverage. Owned by the image.
    cairo_surface_t* paintableSurface() const { return m_paintable ? m_paintable.get() : m_surface.get(); }

protected:
    Image(Surface surface, ColorSpace space, AlphaInfo alphaInfo, std::size_t bytesPerRow);
    friend ns::Factory<Image>;

private:
    Surface m_surface;
    Surface m_paintable; // only for grey and alpha-only images
    ColorSpace m_colorSpace;
    AlphaInfo m_alphaInfo;
    std::size_t m_bytesPerRow;
};

} // namespace cg
