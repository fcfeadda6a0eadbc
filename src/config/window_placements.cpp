#include "config/window_placements.h"

namespace orvel {

namespace {

struct DefaultPlacement {
  std::string_view name;
  WindowGeometry geometry;
};

// Sized for a 1280 x 800 screen; child windows sit inside the frame.
constexpr DefaultPlacement kDefaults[] = {
    {"main", {60, 40, 1160, 720, false}},
    {"groups", {0, 0, 420, 560, false}},
    {"articles", {30, 20, 900, 600, false}},
    {"editor", {80, 60, 760, 560, false}},
    {"folders", {0, 0, 300, 420, false}},
};

}  // namespace

WindowGeometry DefaultWindowGeometry(std::string_view name) {
  for (const auto& d : kDefaults) {
    if (d.name == name) return d.geometry;
  }
  return kDefaults[2].geometry;
}

WindowGeometry WindowGeometryFor(const TBag& metrics, std::string_view name,
                                 bool allowMaximised) {
  WindowGeometry stored;
  if (metrics.GetPlacement(name, allowMaximised, stored) && stored.width > 0 &&
      stored.height > 0) {
    return stored;
  }
  return DefaultWindowGeometry(name);
}

}  // namespace orvel
