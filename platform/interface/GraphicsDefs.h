#pragma once

#include <SupportDefs.h>

struct rgb_color {
    uint8 red;
    uint8 green;
    uint8 blue;
    uint8 alpha;

    constexpr bool operator==(const rgb_color& other) const = default;
};
