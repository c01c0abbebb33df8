// How the game is played, in the words --help prints and the Windows help box shows: the
// controls, then the options.
#pragma once

extern const char* const gameControls;
