#pragma once
// What the camera sees along the demo route: the route video and its sub-movies, the title
// window's scenes and the opening picture, all drawn by one scenery in perspective.

#include <QImage>

#include "route.h"

namespace ostrel::demo {

// The first platform with the line's name: the picture before the first start.
QImage opening_picture(const Route& route);

}  // namespace ostrel::demo
