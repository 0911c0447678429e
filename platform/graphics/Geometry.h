#pragma once

#include <cmath>

// Points, sizes, rectangles and affine transforms in 32-bit floats, as on the device.
namespace cg {

using Float = float;

struct Point
{
    Float x = 0;
    Float y = 0;
    bool operator==(const Point&) const = default;
};

struct Size
{
    Float width = 0;
    Float height = 0;
    bool operator==(const Size&) const = default;
};

struct Rect
{
    Point origin;
    Size size;
    bool operator==(const Rect&) const = default;

    Float minX() const { return std::fmin(origin.x, origin.x + size.width); }
    Float minY() const { return std::fmin(origin.y, origin.y + size.height); }
    Float maxX() const { return std::fmax(origin.x, origin.x + size.width); }
    Float maxY() const { return std::fmax(origin.y, origin.y + size.height); }
    Float midX() const { return origin.x + size.width / 2; }
    Float midY() const { return origin.y + size.height / 2; }
    Float width() const { return std::fabs(size.width); }
    Float height() const { return std::fabs(size.height); }
    bool isEmpty() const { return size.width == 0 || size.height == 0; }
    bool contains(Point p) const { return p.x >= minX() && p.x < maxX() && p.y >= minY() && p.y < maxY(); }
};

inline Point makePoint(Float x, Float y)
{
    return Point{x, y};
}
inline Size makeSize(Float w, Float h)
{
    return Size{w, h};
}
inline Rect makeRect(Float x, Float y, Float w, Float h)
{
    return Rect{{x, y}, {w, h}};
}

Rect standardize(const Rect& r);
// The smallest rectangle with whole-number edges that holds r.
Rect integral(const Rect& r);
Rect intersection(const Rect& a, const Rect& b);
Rect unionRect(const Rect& a, const Rect& b);
Rect inset(const Rect& r, Float dx, Float dy);
Rect offset(const Rect& r, Float dx, Float dy);
bool intersects(const Rect& a, const Rect& b);

// [a b 0; c d 0; tx ty 1]: a point maps to (a x + c y + tx, b x + d y + ty).
struct AffineTransform
{
    Float a = 1, b = 0, c = 0, d = 1, tx = 0, ty = 0;
    bool operator==(const AffineTransform&) const = default;

    static AffineTransform identity() { return {}; }
    static AffineTransform translation(Float tx, Float ty) { return {1, 0, 0, 1, tx, ty}; }
    static AffineTransform scale(Float sx, Float sy) { return {sx, 0, 0, sy, 0, 0}; }
    static AffineTransform rotation(Float radians);

    bool isIdentity() const { return *this == AffineTransform{}; }
};

// t1 then t2: the result applies t1 first, then t2.
AffineTransform concat(const AffineTransform& t1, const AffineTransform& t2);
// t with a translation, scale or rotation applied before it.
AffineTransform translate(const AffineTransform& t, Float tx, Float ty);
AffineTransform scale(const AffineTransform& t, Float sx, Float sy);
AffineTransform rotate(const AffineTransform& t, Float radians);
// The inverse, or t itself when it cannot be inverted.
AffineTransform invert(const AffineTransform& t);
Point apply(const AffineTransform& t, Point p);
Size apply(const AffineTransform& t, Size s);
// The enclosing box of the transformed rectangle.
Rect apply(const AffineTransform& t, const Rect& r);

} // namespace cg
