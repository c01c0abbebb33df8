#include "app/controls.h"

const char* const gameControls =
    "Keys:\n"
    "  Left, Right   run; in the air, steer; against a wall, hold it to cling\n"
    "  Space         jump: the longer it is held, the higher; on a wall, jump up it,\n"
    "                or away from it while holding the other arrow\n"
    "  F11           switch between window and full screen\n"
    "  Escape        quit\n"
    "Pads:\n"
    "  D-pad or left stick (pushed at least half way)   run, steer, cling\n"
    "  A (Cross)                                        jump\n"
    "  Back (Select, View), held for a second           quit";
