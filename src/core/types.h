// Small value types shared by every subsystem of the game.
#pragma once

#include <cstdint>

using Pixel = std::uint32_t;  // 0xAARRGGBB

// An opaque window: HWND on Windows, SDL_Window* on SDL builds, null when headless.
using WindowHandle = void*;

// World rectangle in pixels: top and left inclusive, bottom and right exclusive.
struct RectF {
  float top;
  float bottom;
  float left;
  float right;
};

// Screen rectangle in pixels: top and left inclusive, bottom and right exclusive.
struct RectI {
  std::int32_t top;
  std::int32_t bottom;
  std::int32_t left;
  std::int32_t right;
};

struct Vec2 {
  float x;
  float y;
};

// A rectangle moving with a velocity: the player's body, or a hit tile (velocity 0).
struct CollisionRect {
  RectF rect;
  float vx;
  float vy;
};

enum class Direction : std::int32_t { Left = 0, Right = 1 };
