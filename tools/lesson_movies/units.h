// Stage units: the movies are laid out in pixels and written in twips.
#pragma once

#include <cmath>
#include <cstdint>

namespace lesson_movies {

inline constexpr int kTwips = 20;

inline int16_t twips16(double px) {
    return static_cast<int16_t>(std::lround(px * kTwips));
}

}  // namespace lesson_movies
