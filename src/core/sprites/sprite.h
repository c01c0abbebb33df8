// The base of the game's actors.
#pragma once

class Sprite {
 public:
  virtual ~Sprite() = default;
};
