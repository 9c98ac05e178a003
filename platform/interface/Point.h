#pragma once

// A point in view coordinates: one unit is one pixel.

class BPoint {
public:
    float x = 0;
    float y = 0;

    constexpr BPoint() = default;
    constexpr BPoint(float x, float y) : x(x), y(y) {}

    void Set(float x, float y)
    {
        this->x = x;
        this->y = y;
    }

    constexpr BPoint operator+(const BPoint& other) const { return {x + other.x, y + other.y}; }
    constexpr BPoint operator-(const BPoint& other) const { return {x - other.x, y - other.y}; }
    BPoint& operator+=(const BPoint& other)
    {
        x += other.x;
        y += other.y;
        return *this;
    }
    BPoint& operator-=(const BPoint& other)
    {
        x -= other.x;
        y -= other.y;
        return *this;
    }
    constexpr bool operator==(const BPoint& other) const = default;
};

inline constexpr BPoint B_ORIGIN(0, 0);
