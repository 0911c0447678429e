#pragma once

#include "graphics/Context.h"

#include <cstddef>

namespace cg {

// A context drawing into memory, as the drawing model makes them: width and height in pixels, 8 bits
// per component, a colour space and an alpha kind. Supported: RGB with PremultipliedFirst,
// PremultipliedLast, NoneSkipFirst, NoneSkipLast or None; Gray with None; no colour space with Only.
class BitmapContext : public Context
{
public:
    // Nothing for an unsupported combination, a zero or too large size, bits per component other than
    // 8, or `bytesPerRow` (0 = automatic) smaller than a row needs. User space follows `origin` and has
    // `scale` pixels per unit (an image context of 2x: a 100 by 100 point context is 200 by 200 pixels,
    // made with width 200, height 200 and scale 2).
    static Ref<BitmapContext> create(std::size_t width, std::size_t height, std::size_t bitsPerComponent,
                                     std::size_t bytesPerRow, ColorSpace space, AlphaInfo alphaInfo,
                                     Origin origin = Origin::BottomLeft, Float scale = 1);

    std::size_t width() const { return m_width; }   // pixels
    std::size_t height() const { return m_height; } // pixels
    std::size_t bitsPerComponent() const { return 8; }
    std::size_t bitsPerPixel() const;
    std::size_t bytesPerRow() const { return m_bytesPerRow; }
    ColorSpace colorSpace() const { return m_colorSpace; }
    AlphaInfo alphaInfo() const { return m_alphaInfo; }
    Float scale() const { return m_scale; }

    // A snapshot of the pixels as an image with the context's kind; later drawing does not change it.
    Ref<Image> makeImage();

    // The pixel at (x, y), row 0 on top, straight alpha, as makeImage()->pixel(x, y) would answer.
    Color pixel(std::size_t x, std::size_t y);

protected:
    BitmapContext(Surface surface, std::size_t width, std::size_t height, std::size_t bytesPerRow,
                  ColorSpace space, AlphaInfo alphaInfo, Origin origin, Float scale);
    friend ns::Factory<BitmapContext>;

private:
    std::size_t m_width;
    std::size_t m_height;
    std::size_t m_bytesPerRow;
    ColorSpace m_colorSpace;
    AlphaInfo m_alphaInfo;
    Float m_scale;
};

} // namespace cg
