#pragma once

// A rectangle whose edges lie on pixel centres, so that a rectangle from (0, 0) to (9, 9)
// covers ten pixels on each side: Width() is right minus left, as on the original system.

#include <Point.h>

#include <algorithm>

class BRect {
public:
    float left = 0;
    float top = 0;
    float right = -1;
    float bottom = -1;

    constexpr BRect() = default;
    constexpr BRect(float left, float top, float right, float bottom)
        : left(left), top(top), right(right), bottom(bottom)
    {
    }
    constexpr BRect(BPoint leftTop, BPoint rightBottom)
        : left(leftTop.x), top(leftTop.y), right(rightBottom.x), bottom(rightBottom.y)
    {
    }

    void Set(float l, float t, float r, float b)
    {
        left = l;
        top = t;
        right = r;
        bottom = b;
    }

    constexpr float Width() const { return right - left; }
    constexpr float Height() const { return bottom - top; }
    constexpr int32_t IntegerWidth() const { return (int32_t)(right - left); }
    constexpr int32_t IntegerHeight() const { return (int32_t)(bottom - top); }
    constexpr bool IsValid() const { return left <= right && top <= bottom; }

    constexpr BPoint LeftTop() const { return {left, top}; }
    constexpr BPoint RightBottom() const { return {right, bottom}; }
    constexpr BPoint LeftBottom() const { return {left, bottom}; }
    constexpr BPoint RightTop() const { return {right, top}; }

    void OffsetBy(float dx, float dy)
    {
        left += dx;
        right += dx;
        top += dy;
        bottom += dy;
    }
    void OffsetBy(BPoint delta) { OffsetBy(delta.x, delta.y); }
    void OffsetTo(float x, float y) { OffsetBy(x - left, y - top); }
    void OffsetTo(BPoint point) { OffsetTo(point.x, point.y); }
    constexpr BRect OffsetByCopy(float dx, float dy) const
    {
        return {left + dx, top + dy, right + dx, bottom + dy};
    }
    constexpr BRect OffsetToCopy(float x, float y) const
    {
        return {x, y, x + (right - left), y + (bottom - top)};
    }

    void InsetBy(float dx, float dy)
    {
        left += dx;
        right -= dx;
        top += dy;
        bottom -= dy;
    }
    constexpr BRect InsetByCopy(float dx, float dy) const
    {
        return {left + dx, top + dy, right - dx, bottom - dy};
    }

    constexpr bool Contains(BPoint point) const
    {
        return point.x >= left && point.x <= right && point.y >= top && point.y <= bottom;
    }
    constexpr bool Contains(const BRect& other) const
    {
        return other.left >= left && other.right <= right && other.top >= top &&
               other.bottom <= bottom;
    }
    constexpr bool Intersects(const BRect& other) const
    {
        return IsValid() && other.IsValid() && left <= other.right && other.left <= right &&
               top <= other.bottom && other.top <= bottom;
    }

    // Intersection and union.
    constexpr BRect operator&(const BRect& other) const
    {
        return {std::max(left, other.left), std::max(top, other.top),
                std::min(right, other.right), std::min(bottom, other.bottom)};
    }
    constexpr BRect operator|(const BRect& other) const
    {
        return {std::min(left, other.left), std::min(top, other.top),
                std::max(right, other.right), std::max(bottom, other.bottom)};
    }

    constexpr bool operator==(const BRect& other) const = default;
};
