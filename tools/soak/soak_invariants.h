// What must hold after every frame, whatever the input: the figure is in the open, inside
// the world, with finite numbers, shown with a picture that fits its state; the camera shows
// only the world; the collision pass ended on its own rather than at its safety bound.
#pragma once

#include <string>

class GameWorld;

// Describes the first broken invariant, or returns an empty string when all hold.
std::string FindViolation(const GameWorld& world);

// The player's state by name: standing, running, jumping, repel, or unknown.
const char* SoakStateName(const GameWorld& world);
