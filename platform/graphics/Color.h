#pragma once

namespace cg {

// A colour in the device RGB space, components 0 to 1, alpha not premultiplied.
struct Color
{
    float red = 0;
    float green = 0;
    float blue = 0;
    float alpha = 1;
    bool operator==(const Color&) const = default;
};

} // namespace cg
