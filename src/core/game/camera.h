// The view onto the world: where on the screen the world is shown, and which part of it.
#pragma once

#include "core/types.h"

class Display;

struct Viewport {
  Display& display;
  RectI clip;
};

class Camera {
 public:
  Camera(const RectF& worldBounds, Viewport& viewport);

  // Puts world point (cx, cy) at the middle of the view, then keeps the view inside the world.
  void CenterOn(float cx, float cy);

  RectF worldBounds;
  Viewport& viewport;
  float x = 0.0f;
  float y = 0.0f;
};
