// How the game is played, in the words --help prints and the Windows help box shows.
#pragma once

extern const char* const gameControls;
