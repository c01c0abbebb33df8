// The browser build's stand-in for the quit message: the frame loop asks after every frame.
#pragma once

bool QuitPosted();
// The page learns how the game stands through Module.onGameState, if it set one.
extern "C" void TellPage(const char* state, const char* detail);
