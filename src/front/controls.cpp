#include "front/controls.h"

// The table of controls every text a player reads is made from, packaging/controls.txt, as
// plain text; the build writes it.
#include "front/controls_text.h"

const char* const gameControls = controlsText;
