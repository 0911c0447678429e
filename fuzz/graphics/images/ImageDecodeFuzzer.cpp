#include "graphics/ImageCodec.h"

#include <cstddef>
#include <cstdint>

// Any bytes: a picture or nothing, never a crash; a picture read must survive being written again.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    auto decoded = cg::ImageCodec::decode(data, size);
    if (decoded.image && decoded.image->width() * decoded.image->height() <= 4096) {
        auto png = cg::ImageCodec::encodePNG(*decoded.image);
        auto again = cg::ImageCodec::decode(png.data(), png.size());
        if (!again.image || again.image->width() != decoded.image->width())
            __builtin_trap();
        (void)decoded.image->pixel(0, 0);
    }
    return 0;
}
