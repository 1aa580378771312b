#pragma once
// The scene painted as a PNG picture, offscreen. Needs a QGuiApplication for its text.
#include <QByteArray>

#include "map/scene.h"

namespace quorvane::map {

// The PNG file's bytes; empty when the picture could not be made (too little memory).
QByteArray png_bytes(const Scene& scene);

}  // namespace quorvane::map
