// What Windows reports of the player's input, fed to the player's input: the window procedure's
// messages, and once a frame the keys' state as the system has it.
#pragma once

#include <windows.h>

class PlayerInput;

// The game's window procedure. Until AttachInput names an owner, messages go straight to the
// window-message handler; they always go on to Windows after.
LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// The player's input of the game in `window`, or null once the game is gone. It travels with
// the window itself, so no global carries it.
void AttachInput(HWND window, PlayerInput* input);
// Once a frame, with the queue emptied.
void FeedKeyStates(HWND window, PlayerInput& input);
