#pragma once

#include "foundation/Data.h"
#include "foundation/Object.h"
#include "graphics/Context.h"
#include "graphics/Geometry.h"
#include "graphics/Image.h"

#include <string>

namespace ui {

// How the stored pixels are turned to show the picture upright; the values are the platform's.
enum class ImageOrientation {
    Up = 0,            // as stored
    Down = 1,          // turned 180 degrees
    Left = 2,          // turned 90 degrees anticlockwise
    Right = 3,         // turned 90 degrees clockwise
    UpMirrored = 4,    // flipped left to right
    DownMirrored = 5,  // flipped top to bottom
    LeftMirrored = 6,  // flipped left to right, then turned 90 degrees anticlockwise
    RightMirrored = 7, // flipped left to right, then turned 90 degrees clockwise
};

// An immutable picture: a bitmap, the points-to-pixels scale and an orientation.
class Image : public ns::Object
{
public:
    static ns::Ref<Image> create(ns::Ref<cg::Image> image, float scale, ImageOrientation orientation)
    {
        return ns::Factory<Image>::make(std::move(image), scale, orientation);
    }

    // A picture of the application bundle's resources, cached by name: "heart.png", "heart" (.png is
    // assumed) or "Some.bundle/images/close.png". On a 2x screen "name@2x.png" is preferred when present.
    // Nothing when there is no such readable picture.
    static ns::Ref<Image> imageNamed(const std::string& name);
    // The folder `imageNamed` looks in (the application bundle's resource folder).
    static void setResourcePath(const std::string& path);
    static std::string resourcePath();
    static void clearNamedCache();

    // PNG or JPEG from a file or bytes; nothing for anything unreadable. A file named "x@2x.png" has
    // scale 2.
    static ns::Ref<Image> imageWithContentsOfFile(const std::string& path);
    static ns::Ref<Image> imageWithData(const ns::Data& data, float scale = 1);
    static ns::Ref<Image> imageWithData(const ns::Ref<ns::Data>& data, float scale = 1);
    static ns::Ref<Image> imageWithCGImage(ns::Ref<cg::Image> image, float scale = 1,
                                           ImageOrientation orientation = ImageOrientation::Up);

    // In points, upright: the bitmap's size over the scale, width and height swapped for the four
    // turned orientations (left, right and their mirrors).
    cg::Size size() const;
    float scale() const { return m_scale; }
    ImageOrientation imageOrientation() const { return m_orientation; }
    const ns::Ref<cg::Image>& CGImage() const { return m_image; }
    // The resource name it was loaded under, without folder and extension ("heart"); empty otherwise.
    const std::string& name() const { return m_name; }

    // Draws the picture upright over `rect` into the current drawing context (see ui::currentContext);
    // nothing happens without one.
    void drawInRect(const cg::Rect& rect) const;
    void drawInRect(const cg::Rect& rect, cg::BlendMode mode, float alpha) const;
    void drawAtPoint(const cg::Point& point) const;
    void drawAtPoint(const cg::Point& point, cg::BlendMode mode, float alpha) const;
    // The same into a given context, whose user space is taken to be y-down (TopLeft).
    void drawInContext(cg::Context& context, const cg::Rect& rect, cg::BlendMode mode = cg::BlendMode::Normal,
                       float alpha = 1) const;

    // The picture redrawn upright, with orientation Up and the same scale.
    ns::Ref<Image> upright() const;

    std::string className() const override { return "UIImage"; }
    std::string description() const override;

protected:
    Image(ns::Ref<cg::Image> image, float scale, ImageOrientation orientation);
    friend ns::Factory<Image>;

private:
    friend ns::Ref<Image> loadNamed(const std::string& name);

    ns::Ref<cg::Image> m_image;
    float m_scale;
    ImageOrientation m_orientation;
    std::string m_name;
};

// The picture as PNG bytes, upright (PNG keeps no orientation, so it is drawn into the pixels).
// Nothing for no image.
ns::Ref<ns::Data> ImagePNGRepresentation(const ns::Ref<Image>& image);
// The picture as JPEG bytes at `quality` (0 to 1), upright, alpha dropped. Nothing for no image.
ns::Ref<ns::Data> ImageJPEGRepresentation(const ns::Ref<Image>& image, float quality);

} // namespace ui
