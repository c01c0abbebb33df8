#include "platform/web/page_pointer.h"

#include <algorithm>
#include <cmath>

#include "core/input/window_messages.h"

namespace {

constexpr double pictureWidth = 800.0;
constexpr double pictureHeight = 600.0;

constexpr int domMainButton = 0;
constexpr int domSecondaryButton = 2;
constexpr int domMainBit = 1;
constexpr int domSecondaryBit = 2;

// A message carries 16-bit coordinates: a point far off the canvas must stay far off, not wrap
// round onto the picture.
int ToCoordinate(double value) {
  return static_cast<int>(std::clamp(std::floor(value), -32768.0, 32767.0));
}

}  // namespace

bool PagePointerMessage(int button, int buttons, double x, double y, double width, double height,
                        PageMouseMessage& out) {
  if (!(width > 0.0) || !(height > 0.0) || !std::isfinite(width) || !std::isfinite(height) ||
      !std::isfinite(x) || !std::isfinite(y))
    return false;
  // The picture keeps its shape: a canvas of another shape shows it centred, with bands.
  const double scale = std::min(width / pictureWidth, height / pictureHeight);
  const double left = (width - pictureWidth * scale) / 2.0;
  const double top = (height - pictureHeight * scale) / 2.0;
  out.lParam = wm::PackPoint(ToCoordinate((x - left) / scale), ToCoordinate((y - top) / scale));
  out.wParam = ((buttons & domMainBit) ? wm::leftButtonFlag : 0) |
               ((buttons & domSecondaryBit) ? wm::rightButtonFlag : 0);
  switch (button) {
    case -1: out.message = wm::mouseMove; return true;
    case domMainButton:
      out.message = (buttons & domMainBit) ? wm::leftButtonDown : wm::leftButtonUp;
      return true;
    case domSecondaryButton:
      out.message = (buttons & domSecondaryBit) ? wm::rightButtonDown : wm::rightButtonUp;
      return true;
    default: return false;
  }
}
