#include "graphics/Geometry.h"

#include <algorithm>

namespace cg {

Rect standardize(const Rect& r)
{
    return makeRect(r.minX(), r.minY(), r.width(), r.height());
}

Rect integral(const Rect& r)
{
    if (r.isEmpty())
        return standardize(r);
    Float x0 = std::floor(r.minX());
    Float y0 = std::floor(r.minY());
    Float x1 = std::ceil(r.maxX());
    Float y1 = std::ceil(r.maxY());
    return makeRect(x0, y0, x1 - x0, y1 - y0);
}

Rect intersection(const Rect& a, const Rect& b)
{
    Float x0 = std::max(a.minX(), b.minX());
    Float y0 = std::max(a.minY(), b.minY());
    Float x1 = std::min(a.maxX(), b.maxX());
    Float y1 = std::min(a.maxY(), b.maxY());
    if (x1 < x0 || y1 < y0)
        return makeRect(INFINITY, INFINITY, 0, 0); // the platform's null rectangle
    return makeRect(x0, y0, x1 - x0, y1 - y0);
}

Rect unionRect(const Rect& a, const Rect& b)
{
    Float x0 = std::min(a.minX(), b.minX());
    Float y0 = std::min(a.minY(), b.minY());
    Float x1 = std::max(a.maxX(), b.maxX());
    Float y1 = std::max(a.maxY(), b.maxY());
    return makeRect(x0, y0, x1 - x0, y1 - y0);
}

Rect inset(const Rect& r, Float dx, Float dy)
{
    Rect s = standardize(r);
    return makeRect(s.origin.x + dx, s.origin.y + dy, s.size.width - 2 * dx, s.size.height - 2 * dy);
}

Rect offset(const Rect& r, Float dx, Float dy)
{
    return makeRect(r.origin.x + dx, r.origin.y + dy, r.size.width, r.size.height);
}

bool intersects(const Rect& a, const Rect& b)
{
    return a.minX() < b.maxX() && b.minX() < a.maxX() && a.minY() < b.maxY() && b.minY() < a.maxY();
}

AffineTransform AffineTransform::rotation(Float radians)
{
    Float s = std::sin(radians);
    Float c = std::cos(radians);
    return {c, s, -s, c, 0, 0};
}

AffineTransform concat(const AffineTransform& t1, const AffineTransform& t2)
{
    return {t1.a * t2.a + t1.b * t2.c,           t1.a * t2.b + t1.b * t2.d,
            t1.c * t2.a + t1.d * t2.c,           t1.c * t2.b + t1.d * t2.d,
            t1.tx * t2.a + t1.ty * t2.c + t2.tx, t1.tx * t2.b + t1.ty * t2.d + t2.ty};
}

AffineTransform translate(const AffineTransform& t, Float tx, Float ty)
{
    return concat(AffineTransform::translation(tx, ty), t);
}

AffineTransform scale(const AffineTransform& t, Float sx, Float sy)
{
    return concat(AffineTransform::scale(sx, sy), t);
}

AffineTransform rotate(const AffineTransform& t, Float radians)
{
    return concat(AffineTransform::rotation(radians), t);
}

AffineTransform invert(const AffineTransform& t)
{
    Float det = t.a * t.d - t.b * t.c;
    if (det == 0)
        return t;
    return {t.d / det,
            -t.b / det,
            -t.c / det,
            t.a / det,
            (t.c * t.ty - t.d * t.tx) / det,
            (t.b * t.tx - t.a * t.ty) / det};
}

Point apply(const AffineTransform& t, Point p)
{
    return {t.a * p.x + t.c * p.y + t.tx, t.b * p.x + t.d * p.y + t.ty};
}

Size apply(const AffineTransform& t, Size s)
{
    return {t.a * s.width + t.c * s.height, t.b * s.width + t.d * s.height};
}

Rect apply(const AffineTransform& t, const Rect& r)
{
    if (t.isIdentity())
        return r;
    Rect s = standardize(r);
    Point corners[4] = {apply(t, Point{s.minX(), s.minY()}), apply(t, Point{s.maxX(), s.minY()}),
                        apply(t, Point{s.minX(), s.maxY()}), apply(t, Point{s.maxX(), s.maxY()})};
    Float x0 = corners[0].x, x1 = corners[0].x, y0 = corners[0].y, y1 = corners[0].y;
    for (auto& p : corners) {
        x0 = std::min(x0, p.x);
        x1 = std::max(x1, p.x);
        y0 = std::min(y0, p.y);
        y1 = std::max(y1, p.y);
    }
    return makeRect(x0, y0, x1 - x0, y1 - y0);
}

} // namespace cg
