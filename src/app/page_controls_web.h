// The page's own ways into the game beside its key events: the pointer over the canvas and the
// touch controls around it. The page's script calls in through exported functions.
#pragma once

class GamepadKeys;
class WebGamepads;

// Where the calls go while a game runs; both null once it has ended.
void AttachPageControls(GamepadKeys* keys, WebGamepads* pads);
