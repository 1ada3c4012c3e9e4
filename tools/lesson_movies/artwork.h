// The drawn parts of a lesson movie: rounded panels and the lesson's illustration, a small
// scene chosen from the title's words (night sky, water, mountains, snow, garden, or a house
// in the fields) with colours varied by the lesson.
#pragma once

#include <cstdint>
#include <string>

#include "platform/flash/swfwrite/movie_builder.h"
#include "text_layout.h"

namespace lesson_movies {

constexpr int kTwips = 20;

pencora::swf::Shape roundedBox(const Box& b, double radius, pencora::swf::Rgba fill,
                               double lineWidth = 0, pencora::swf::Rgba line = {});

enum class Scene { Night, Water, Mountains, Snow, Garden, Fields };

Scene sceneFor(const std::u32string& title);

// Defines the illustration as a sprite filling `area` and returns its id.
uint16_t defineIllustration(pencora::swfwrite::MovieBuilder& movie, Scene scene, int seed,
                            const Box& area);

}  // namespace lesson_movies
