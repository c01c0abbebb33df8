#include "core/game/camera.h"

Camera::Camera(const RectF& bounds, Viewport& view) : worldBounds(bounds), viewport(view) {}

void Camera::CenterOn(float cx, float cy) {
  const auto w = static_cast<float>(viewport.clip.right - viewport.clip.left);
  const auto h = static_cast<float>(viewport.clip.bottom - viewport.clip.top);
  x = cx - w * 0.5f;
  y = cy - h * 0.5f;
  // Lower bounds first, upper bounds last: in a world smaller than the view the far edge wins.
  if (!(x > worldBounds.left)) x = worldBounds.left;
  if (!(y > worldBounds.top)) y = worldBounds.top;
  if (!(worldBounds.right - w > x)) x = worldBounds.right - w;
  if (!(worldBounds.bottom - h > y)) y = worldBounds.bottom - h;
}
