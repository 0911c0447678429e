#pragma once

#include "graphics/Image.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace cg {

// Reading and writing PNG (through cairo and libpng) and JPEG (libjpeg-turbo) bytes.
class ImageCodec
{
public:
    struct Decoded
    {
        Ref<Image> image;
        // The EXIF orientation of a JPEG (1 to 8; 1 when absent or unreadable), 1 for PNG.
        int exifOrientation = 1;
    };

    // PNG or JPEG by their signatures. Nothing (a null image) for anything else, for damaged data, and
    // for pictures past 16384 pixels a side or 64 million pixels.
    static Decoded decode(const uint8_t* bytes, std::size_t length);

    // Empty on failure. PNG keeps alpha; JPEG drops it (colours as premultiplied, i.e. over black).
    static std::vector<uint8_t> encodePNG(const Image& image);
    // `quality` 0 to 1.
    static std::vector<uint8_t> encodeJPEG(const Image& image, float quality);

    static constexpr std::size_t maximumSide = 16384;
    static constexpr std::size_t maximumPixels = std::size_t(64) << 20;
};

} // namespace cg
