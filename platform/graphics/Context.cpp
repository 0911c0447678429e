#include "graphics/Context.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>

namespace cg {

namespace {

cairo_matrix_t toCairo(const AffineTransform& t)
{
    cairo_matrix_t m;
    cairo_matrix_init(&m, t.a, t.b, t.c, t.d, t.tx, t.ty);
    return m;
}

cairo_operator_t toCairo(BlendMode mode)
{
    switch (mode) {
    case BlendMode::Normal:
        return CAIRO_OPERATOR_OVER;
    case BlendMode::Multiply:
        return CAIRO_OPERATOR_MULTIPLY;
    case BlendMode::Screen:
        return CAIRO_OPERATOR_SCREEN;
    case BlendMode::Overlay:
        return CAIRO_OPERATOR_OVERLAY;
    case BlendMode::Darken:
        return CAIRO_OPERATOR_DARKEN;
    case BlendMode::Lighten:
        return CAIRO_OPERATOR_LIGHTEN;
    case BlendMode::Clear:
        return CAIRO_OPERATOR_CLEAR;
    case BlendMode::Copy:
        return CAIRO_OPERATOR_SOURCE;
    case BlendMode::SourceIn:
        return CAIRO_OPERATOR_IN;
    case BlendMode::SourceOut:
        return CAIRO_OPERATOR_OUT;
    case BlendMode::SourceAtop:
        return CAIRO_OPERATOR_ATOP;
    case BlendMode::DestinationOver:
        return CAIRO_OPERATOR_DEST_OVER;
    case BlendMode::DestinationIn:
        return CAIRO_OPERATOR_DEST_IN;
    case BlendMode::DestinationOut:
        return CAIRO_OPERATOR_DEST_OUT;
    case BlendMode::DestinationAtop:
        return CAIRO_OPERATOR_DEST_ATOP;
    case BlendMode::XOR:
        return CAIRO_OPERATOR_XOR;
    }
    return CAIRO_OPERATOR_OVER;
}

cairo_filter_t toCairo(InterpolationQuality quality)
{
    switch (quality) {
    case InterpolationQuality::None:
        return CAIRO_FILTER_NEAREST;
    case InterpolationQuality::Low:
        return CAIRO_FILTER_FAST;
    case InterpolationQuality::High:
        return CAIRO_FILTER_BEST;
    case InterpolationQuality::Default:
    case InterpolationQuality::Medium:
        break;
    }
    return CAIRO_FILTER_GOOD;
}

Float unit(Float value)
{
    if (std::isnan(value))
        return 0;
    return std::clamp(value, Float(0), Float(1));
}

bool finite(Float value)
{
    return std::isfinite(value);
}

} // namespace

Context::Context(Surface surface, Origin origin, Float pixelHeight, Float scale)
    : m_surface(std::move(surface)), m_cr(cairo_create(m_surface.get())), m_origin(origin),
      m_pixelHeight(pixelHeight), m_scale(scale)
{
    m_state.ctm = initialCTM();
    applyMatrix();
}

Context::~Context() = default;

AffineTransform Context::initialCTM() const
{
    if (m_origin == Origin::BottomLeft)
        return AffineTransform::scale(m_scale, m_scale);
    return {m_scale, 0, 0, -m_scale, 0, m_pixelHeight};
}

void Context::resetState()
{
    while (!m_layers.empty())
        endTransparencyLayer();
    while (!m_saved.empty())
        restoreGState();
    cairo_new_path(m_cr.get());
    cairo_reset_clip(m_cr.get());
    m_state = State{};
    m_state.ctm = initialCTM();
    cairo_set_line_width(m_cr.get(), 1);
    cairo_set_line_cap(m_cr.get(), CAIRO_LINE_CAP_BUTT);
    cairo_set_line_join(m_cr.get(), CAIRO_LINE_JOIN_MITER);
    cairo_set_antialias(m_cr.get(), CAIRO_ANTIALIAS_DEFAULT);
    applyMatrix();
    applyOperator();
}

void Context::saveGState()
{
    m_saved.push_back(m_state);
    cairo_save(m_cr.get());
}

void Context::restoreGState()
{
    std::size_t floor = m_layers.empty() ? 0 : m_layers.back().savedDepth;
    if (m_saved.size() <= floor)
        return;
    m_state = m_saved.back();
    m_saved.pop_back();
    cairo_restore(m_cr.get());
    applyMatrix();
}

AffineTransform Context::getCTM() const
{
    return m_state.ctm;
}

void Context::concatCTM(const AffineTransform& t)
{
    AffineTransform next = concat(t, m_state.ctm);
    if (!finite(next.a) || !finite(next.b) || !finite(next.c) || !finite(next.d) || !finite(next.tx) ||
        !finite(next.ty))
        return;
    m_state.ctm = next;
    applyMatrix();
}

void Context::translateCTM(Float tx, Float ty)
{
    concatCTM(AffineTransform::translation(tx, ty));
}
void Context::scaleCTM(Float sx, Float sy)
{
    concatCTM(AffineTransform::scale(sx, sy));
}
void Context::rotateCTM(Float radians)
{
    concatCTM(AffineTransform::rotation(radians));
}

AffineTransform Context::userSpaceToDeviceSpaceTransform() const
{
    // Device space counts rows up from the bottom; the stored bitmap counts them down from the top.
    return concat(m_state.ctm, AffineTransform{1, 0, 0, -1, 0, m_pixelHeight});
}

void Context::applyMatrix()
{
    AffineTransform t = userSpaceToDeviceSpaceTransform();
    // A singular transform (a scale of 0) draws nothing; cairo would refuse it and stop drawing for good,
    // so a vanishingly small one stands in for it.
    if (std::fabs(double(t.a) * t.d - double(t.b) * t.c) < 1e-12)
        t = AffineTransform{1e-6f, 0, 0, 1e-6f, t.tx, t.ty};
    cairo_matrix_t m = toCairo(t);
    cairo_set_matrix(m_cr.get(), &m);
}

void Context::applyOperator()
{
    cairo_set_operator(m_cr.get(), toCairo(m_state.blend));
}

void Context::applySource(const Color& color)
{
    cairo_set_source_rgba(m_cr.get(), unit(color.red), unit(color.green), unit(color.blue),
                          unit(color.alpha) * m_state.alpha);
}

void Context::beginPath()
{
    cairo_new_path(m_cr.get());
}

void Context::moveToPoint(Float x, Float y)
{
    cairo_move_to(m_cr.get(), x, y);
}

void Context::addLineToPoint(Float x, Float y)
{
    if (cairo_has_current_point(m_cr.get()))
        cairo_line_to(m_cr.get(), x, y);
    else
        cairo_move_to(m_cr.get(), x, y);
}

void Context::addArc(Float x, Float y, Float radius, Float start, Float end, bool clockwise)
{
    if (!(radius >= 0) || !finite(radius) || !finite(start) || !finite(end))
        return;
    // Angles grow from +x towards +y in user space; "clockwise" in the y-up space goes the other way.
    if (clockwise)
        cairo_arc_negative(m_cr.get(), x, y, radius, start, end);
    else
        cairo_arc(m_cr.get(), x, y, radius, start, end);
}

void Context::addArcToPoint(Float x1, Float y1, Float x2, Float y2, Float radius)
{
    if (!cairo_has_current_point(m_cr.get())) {
        cairo_move_to(m_cr.get(), x1, y1);
        return;
    }
    double x0, y0;
    cairo_get_current_point(m_cr.get(), &x0, &y0);
    double ux = x0 - x1, uy = y0 - y1; // from the corner back to the start
    double vx = x2 - x1, vy = y2 - y1; // from the corner on to the end
    double lu = std::hypot(ux, uy), lv = std::hypot(vx, vy);
    double cross = ux * vy - uy * vx;
    if (!(radius > 0) || lu == 0 || lv == 0 || std::fabs(cross) < 1e-9 * lu * lv) {
        cairo_line_to(m_cr.get(), x1, y1);
        return;
    }
    ux /= lu, uy /= lu, vx /= lv, vy /= lv;
    double cosTheta = std::clamp(ux * vx + uy * vy, -1.0, 1.0);
    double theta = std::acos(cosTheta); // the angle at the corner
    double tangent = radius / std::tan(theta / 2);
    double t1x = x1 + ux * tangent, t1y = y1 + uy * tangent;
    double t2x = x1 + vx * tangent, t2y = y1 + vy * tangent;
    double bx = ux + vx, by = uy + vy;
    double lb = std::hypot(bx, by);
    double centre = radius / std::sin(theta / 2);
    double cx = x1 + bx / lb * centre, cy = y1 + by / lb * centre;
    double a1 = std::atan2(t1y - cy, t1x - cx);
    double a2 = std::atan2(t2y - cy, t2x - cx);
    cairo_line_to(m_cr.get(), t1x, t1y);
    // Travelling start -> corner -> end turns towards the centre's side; the arc turns the same way.
    double turn = (x1 - x0) * (y2 - y1) - (y1 - y0) * (x2 - x1);
    if (turn > 0)
        cairo_arc(m_cr.get(), cx, cy, radius, a1, a2);
    else
        cairo_arc_negative(m_cr.get(), cx, cy, radius, a1, a2);
}

void Context::addCurveToPoint(Float cp1x, Float cp1y, Float cp2x, Float cp2y, Float x, Float y)
{
    if (!cairo_has_current_point(m_cr.get()))
        cairo_move_to(m_cr.get(), cp1x, cp1y);
    cairo_curve_to(m_cr.get(), cp1x, cp1y, cp2x, cp2y, x, y);
}

void Context::addQuadCurveToPoint(Float cpx, Float cpy, Float x, Float y)
{
    if (!cairo_has_current_point(m_cr.get()))
        cairo_move_to(m_cr.get(), cpx, cpy);
    double x0, y0;
    cairo_get_current_point(m_cr.get(), &x0, &y0);
    cairo_curve_to(m_cr.get(), x0 + 2.0 / 3 * (cpx - x0), y0 + 2.0 / 3 * (cpy - y0), x + 2.0 / 3 * (cpx - x),
                   y + 2.0 / 3 * (cpy - y), x, y);
}

void Context::closePath()
{
    cairo_close_path(m_cr.get());
}

void Context::addRect(const Rect& rect)
{
    cairo_rectangle(m_cr.get(), rect.origin.x, rect.origin.y, rect.size.width, rect.size.height);
}

void Context::addEllipseInRect(const Rect& rect)
{
    Rect r = standardize(rect);
    if (r.isEmpty())
        return;
    cairo_save(m_cr.get());
    cairo_translate(m_cr.get(), r.midX(), r.midY());
    cairo_scale(m_cr.get(), r.size.width / 2, r.size.height / 2);
    cairo_new_sub_path(m_cr.get());
    cairo_arc(m_cr.get(), 0, 0, 1, 0, 2 * M_PI);
    cairo_close_path(m_cr.get());
    cairo_restore(m_cr.get());
}

bool Context::isPathEmpty() const
{
    ns::CHandle<cairo_path_t, cairo_path_destroy> path(cairo_copy_path(m_cr.get()));
    return path->num_data == 0;
}

Point Context::getPathCurrentPoint() const
{
    if (!cairo_has_current_point(m_cr.get()))
        return {};
    double x, y;
    cairo_get_current_point(m_cr.get(), &x, &y);
    return makePoint(Float(x), Float(y));
}

void Context::clip()
{
    cairo_set_fill_rule(m_cr.get(), CAIRO_FILL_RULE_WINDING);
    cairo_clip(m_cr.get());
}

void Context::eoClip()
{
    cairo_set_fill_rule(m_cr.get(), CAIRO_FILL_RULE_EVEN_ODD);
    cairo_clip(m_cr.get());
    cairo_set_fill_rule(m_cr.get(), CAIRO_FILL_RULE_WINDING);
}

void Context::clipToRect(const Rect& rect)
{
    cairo_new_path(m_cr.get());
    addRect(rect);
    clip();
}

Rect Context::getClipBoundingBox() const
{
    double x0, y0, x1, y1;
    cairo_clip_extents(m_cr.get(), &x0, &y0, &x1, &y1);
    return standardize(makeRect(Float(x0), Float(y0), Float(x1 - x0), Float(y1 - y0)));
}

void Context::setFillColor(const Color& color)
{
    m_state.fill = color;
}
void Context::setStrokeColor(const Color& color)
{
    m_state.stroke = color;
}
Color Context::fillColor() const
{
    return m_state.fill;
}
Color Context::strokeColor() const
{
    return m_state.stroke;
}

void Context::setLineWidth(Float width)
{
    if (!(width >= 0) || !finite(width))
        return;
    m_state.lineWidth = width;
    cairo_set_line_width(m_cr.get(), width);
}

Float Context::lineWidth() const
{
    return m_state.lineWidth;
}

void Context::setLineCap(LineCap cap)
{
    cairo_set_line_cap(m_cr.get(), cap == LineCap::Round    ? CAIRO_LINE_CAP_ROUND
                                   : cap == LineCap::Square ? CAIRO_LINE_CAP_SQUARE
                                                            : CAIRO_LINE_CAP_BUTT);
}

void Context::setLineJoin(LineJoin join)
{
    cairo_set_line_join(m_cr.get(), join == LineJoin::Round   ? CAIRO_LINE_JOIN_ROUND
                                    : join == LineJoin::Bevel ? CAIRO_LINE_JOIN_BEVEL
                                                              : CAIRO_LINE_JOIN_MITER);
}

void Context::setAlpha(Float alpha)
{
    m_state.alpha = unit(alpha);
}
Float Context::alpha() const
{
    return m_state.alpha;
}

void Context::setBlendMode(BlendMode mode)
{
    m_state.blend = mode;
    applyOperator();
}

BlendMode Context::blendMode() const
{
    return m_state.blend;
}

void Context::setInterpolationQuality(InterpolationQuality quality)
{
    m_state.interpolation = quality;
}
InterpolationQuality Context::interpolationQuality() const
{
    return m_state.interpolation;
}

void Context::setShouldAntialias(bool antialias)
{
    cairo_set_antialias(m_cr.get(), antialias ? CAIRO_ANTIALIAS_DEFAULT : CAIRO_ANTIALIAS_NONE);
}

void Context::setShadow(Size offset, Float blur, const Color& color)
{
    m_state.shadowOffset = offset;
    m_state.shadowBlur = blur;
    m_state.shadowColor = color;
}

void Context::fillPath()
{
    applySource(m_state.fill);
    cairo_set_fill_rule(m_cr.get(), CAIRO_FILL_RULE_WINDING);
    cairo_fill(m_cr.get());
}

void Context::eoFillPath()
{
    applySource(m_state.fill);
    cairo_set_fill_rule(m_cr.get(), CAIRO_FILL_RULE_EVEN_ODD);
    cairo_fill(m_cr.get());
    cairo_set_fill_rule(m_cr.get(), CAIRO_FILL_RULE_WINDING);
}

void Context::strokePath()
{
    applySource(m_state.stroke);
    cairo_stroke(m_cr.get());
}

void Context::fillRect(const Rect& rect)
{
    cairo_new_path(m_cr.get());
    addRect(rect);
    fillPath();
}

void Context::strokeRect(const Rect& rect)
{
    cairo_new_path(m_cr.get());
    addRect(rect);
    strokePath();
}

void Context::strokeRectWithWidth(const Rect& rect, Float width)
{
    Float previous = m_state.lineWidth;
    setLineWidth(width);
    strokeRect(rect);
    setLineWidth(previous);
}

void Context::fillEllipseInRect(const Rect& rect)
{
    cairo_new_path(m_cr.get());
    addEllipseInRect(rect);
    fillPath();
}

void Context::strokeEllipseInRect(const Rect& rect)
{
    cairo_new_path(m_cr.get());
    addEllipseInRect(rect);
    strokePath();
}

void Context::clearRect(const Rect& rect)
{
    cairo_save(m_cr.get());
    cairo_new_path(m_cr.get());
    addRect(rect);
    cairo_set_operator(m_cr.get(), CAIRO_OPERATOR_CLEAR);
    cairo_fill(m_cr.get());
    cairo_restore(m_cr.get());
}

void Context::strokeLineSegments(const std::vector<Point>& points)
{
    cairo_new_path(m_cr.get());
    for (std::size_t i = 0; i + 1 < points.size(); i += 2) {
        cairo_move_to(m_cr.get(), points[i].x, points[i].y);
        cairo_line_to(m_cr.get(), points[i + 1].x, points[i + 1].y);
    }
    strokePath();
}

void Context::drawImage(const Rect& rect, const Image& image)
{
    Rect r = rect;
    if (r.isEmpty() || !finite(r.origin.x) || !finite(r.origin.y) || !finite(r.size.width) ||
        !finite(r.size.height))
        return;
    double w = double(image.width()), h = double(image.height());
    cairo_save(m_cr.get());
    // Pixel (px, py), row 0 on top, lands at (x + px w / iw, maxY - py h / ih): the top row at max y.
    cairo_translate(m_cr.get(), r.origin.x, r.origin.y + r.size.height);
    cairo_scale(m_cr.get(), r.size.width / w, -r.size.height / h);
    cairo_new_path(m_cr.get());
    cairo_rectangle(m_cr.get(), 0, 0, w, h);
    cairo_clip(m_cr.get());
    cairo_set_source_surface(m_cr.get(), image.paintableSurface(), 0, 0);
    cairo_pattern_t* pattern = cairo_get_source(m_cr.get());
    cairo_pattern_set_extend(pattern, CAIRO_EXTEND_PAD);
    cairo_pattern_set_filter(pattern, toCairo(m_state.interpolation));
    if (m_state.alpha >= 1)
        cairo_paint(m_cr.get());
    else
        cairo_paint_with_alpha(m_cr.get(), m_state.alpha);
    cairo_restore(m_cr.get());
}

void Context::beginTransparencyLayer()
{
    m_layers.push_back(Layer{m_state, m_saved.size()});
    cairo_push_group(m_cr.get());
    m_state.alpha = 1;
    m_state.blend = BlendMode::Normal;
    applyOperator();
}

void Context::endTransparencyLayer()
{
    if (m_layers.empty())
        return;
    Layer layer = m_layers.back();
    while (m_saved.size() > layer.savedDepth) {
        m_saved.pop_back();
        cairo_restore(m_cr.get());
    }
    m_layers.pop_back();
    cairo_pop_group_to_source(m_cr.get());
    m_state = layer.state;
    applyMatrix();
    applyOperator();
    if (m_state.alpha >= 1)
        cairo_paint(m_cr.get());
    else
        cairo_paint_with_alpha(m_cr.get(), m_state.alpha);
}

} // namespace cg
