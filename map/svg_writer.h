#pragma once
// The scene as SVG text: each state, point, leg and ring an element of its own with a
// <title> and a class (state, point, leg, ring), so that it can be styled and read.
#include <string>

#include "map/scene.h"

namespace quorvane::map {

std::string svg_text(const Scene& scene);

}  // namespace quorvane::map
