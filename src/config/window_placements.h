#pragma once
// Where windows open: a built-in geometry per window, replaced by the
// placement stored under the same name in the "Metrics" bag when that one is
// usable (ten integers, a positive size).
//
// Names: "main" (the frame), "groups" (group list), "articles" (group view),
// "editor" (compose window), "folders" (folder window); any other name gets
// the group view's size.

#include <string_view>

#include "core/bag.h"

namespace orvel {

WindowGeometry DefaultWindowGeometry(std::string_view name);

WindowGeometry WindowGeometryFor(const TBag& metrics, std::string_view name,
                                 bool allowMaximised);

}  // namespace orvel
