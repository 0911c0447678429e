#pragma once

#include "graphics/Color.h"
#include "graphics/Geometry.h"
#include "graphics/Image.h"

#include <vector>

namespace cg {

// How drawn pixels combine with what is there; the values are the platform's.
enum class BlendMode {
    Normal = 0,
    Multiply = 1,
    Screen = 2,
    Overlay = 3,
    Darken = 4,
    Lighten = 5,
    Clear = 16,
    Copy = 17,
    SourceIn = 18,
    SourceOut = 19,
    SourceAtop = 20,
    DestinationOver = 21,
    DestinationIn = 22,
    DestinationOut = 23,
    DestinationAtop = 24,
    XOR = 25,
};

enum class InterpolationQuality {
    Default = 0,
    None = 1,
    Low = 2,
    High = 3,
    Medium = 4,
};

enum class LineCap { Butt, Round, Square };
enum class LineJoin { Miter, Round, Bevel };

// Which way user space faces when a context is made.
//   BottomLeft: the drawing model's own convention (bitmap and PDF contexts made directly): y grows up,
//               (0, 0) is the bottom-left corner of the picture.
//   TopLeft:    the UI layer's convention (image contexts, view drawing, printing): y grows down, (0, 0)
//               is the top-left corner.
// Either way `drawImage` places the image's top row at the rectangle's maximum y in user space, as the
// drawing model does, so an image drawn with `drawImage` into a TopLeft context comes out upside down;
// ui::Image::drawInRect compensates, the way the UI layer does.
enum class Origin { BottomLeft, TopLeft };

// A drawing destination: a graphics state stack (transform, clip, colours, line, alpha, blend mode),
// a current path, and drawing operations. Over a cairo context.
class Context
{
public:
    virtual ~Context();
    Context(const Context&) = delete;
    Context& operator=(const Context&) = delete;

    Origin origin() const { return m_origin; }

    void saveGState();
    void restoreGState(); // an unbalanced restore is ignored

    // The current transform, from user space to device space: pixels, y up from the bottom row, as the
    // drawing model counts them. A BottomLeft context starts with scale(s, s) (the identity at scale 1);
    // a TopLeft one with the flip that puts (0, 0) at the top: scale(s, -s), then translate(0, height).
    AffineTransform getCTM() const;
    // The new transform applies `t` first, then the current one (user space changes by `t`).
    void concatCTM(const AffineTransform& t);
    void translateCTM(Float tx, Float ty);
    void scaleCTM(Float sx, Float sy);
    void rotateCTM(Float radians);
    // The transform from user space to pixels counted from the top row (as the bitmap is stored).
    AffineTransform userSpaceToDeviceSpaceTransform() const;

    // Paths, in user space.
    void beginPath();
    void moveToPoint(Float x, Float y);
    void addLineToPoint(Float x, Float y);
    // A circular arc around (x, y) from angle `start` to `end` (radians); `clockwise` as the drawing
    // model means it, in a y-up space (so it looks anticlockwise in a TopLeft context, as there).
    void addArc(Float x, Float y, Float radius, Float start, Float end, bool clockwise);
    // A line towards the corner (x1, y1) that turns into an arc of `radius` tangent to the lines from
    // the current point to the corner and from the corner to (x2, y2).
    void addArcToPoint(Float x1, Float y1, Float x2, Float y2, Float radius);
    void addCurveToPoint(Float cp1x, Float cp1y, Float cp2x, Float cp2y, Float x, Float y);
    void addQuadCurveToPoint(Float cpx, Float cpy, Float x, Float y);
    void closePath();
    void addRect(const Rect& rect);
    void addEllipseInRect(const Rect& rect);
    bool isPathEmpty() const;
    // The current point in user space, or (0, 0) without one.
    Point getPathCurrentPoint() const;

    // Clipping: intersects the clip with the current path (which is consumed), or with a rectangle.
    void clip();
    void eoClip();
    void clipToRect(const Rect& rect);
    Rect getClipBoundingBox() const;

    // Colours and line.
    void setFillColor(const Color& color);
    void setStrokeColor(const Color& color);
    void setRGBFillColor(Float r, Float g, Float b, Float a) { setFillColor({r, g, b, a}); }
    void setRGBStrokeColor(Float r, Float g, Float b, Float a) { setStrokeColor({r, g, b, a}); }
    void setGrayFillColor(Float gray, Float a) { setFillColor({gray, gray, gray, a}); }
    void setGrayStrokeColor(Float gray, Float a) { setStrokeColor({gray, gray, gray, a}); }
    Color fillColor() const;
    Color strokeColor() const;
    void setLineWidth(Float width);
    Float lineWidth() const;
    void setLineCap(LineCap cap);
    void setLineJoin(LineJoin join);
    void setAlpha(Float alpha); // multiplies everything drawn
    Float alpha() const;
    void setBlendMode(BlendMode mode);
    BlendMode blendMode() const;
    void setInterpolationQuality(InterpolationQuality quality);
    InterpolationQuality interpolationQuality() const;
    void setShouldAntialias(bool antialias);
    // Recorded only: shadows are not drawn.
    void setShadow(Size offset, Float blur, const Color& color);

    // Painting the current path (consumed) or shapes.
    void fillPath();
    void eoFillPath();
    void strokePath();
    void fillRect(const Rect& rect);
    void strokeRect(const Rect& rect);
    void strokeRectWithWidth(const Rect& rect, Float width);
    void fillEllipseInRect(const Rect& rect);
    void strokeEllipseInRect(const Rect& rect);
    // Makes the rectangle fully transparent (black in contexts without alpha).
    void clearRect(const Rect& rect);
    // Line segments: pairs of points.
    void strokeLineSegments(const std::vector<Point>& points);

    // Draws `image` stretched over `rect`, its top row at the rectangle's maximum y in user space.
    void drawImage(const Rect& rect, const Image& image);

    // Everything drawn until the matching end is composited as one picture, with the alpha and blend
    // mode in force at the begin (a view's alpha applies to it and its subviews together).
    void beginTransparencyLayer();
    void endTransparencyLayer();

    // The cairo context, for text drawing and the renderer. Its matrix is kept in step with the CTM and
    // its operator with the blend mode.
    cairo_t* cairo() const { return m_cr.get(); }
    // Makes the cairo source the fill colour at the current alpha, for drawing done with cairo directly.
    void useFillAsSource() { applySource(m_state.fill); }

protected:
    // Draws on `surface`, whose device space is `pixelHeight` pixels tall and has `scale` pixels per user
    // unit at the start.
    Context(Surface surface, Origin origin, Float pixelHeight, Float scale);
    cairo_surface_t* surfaceHandle() const { return m_surface.get(); }
    // Back to the state at creation (a new PDF page).
    void resetState();

private:
    struct State
    {
        AffineTransform ctm;
        Color fill{0, 0, 0, 1};
        Color stroke{0, 0, 0, 1};
        Float lineWidth = 1;
        Float alpha = 1;
        BlendMode blend = BlendMode::Normal;
        InterpolationQuality interpolation = InterpolationQuality::Default;
        Size shadowOffset;
        Float shadowBlur = 0;
        Color shadowColor{0, 0, 0, 0};
    };
    struct Layer
    {
        State state;
        std::size_t savedDepth;
    };
    void applyMatrix();
    void applyOperator();
    void applySource(const Color& color);
    AffineTransform initialCTM() const;

    Surface m_surface;
    ns::CHandle<cairo_t, cairo_destroy> m_cr; // made from the surface, so released before it
    Origin m_origin;
    Float m_pixelHeight;
    Float m_scale;
    State m_state;
    std::vector<State> m_saved;
    std::vector<Layer> m_layers;
};

} // namespace cg
