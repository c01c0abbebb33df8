// The few window-system calls the portable code makes. Each build links one implementation:
// Win32, SDL, or the headless one that only records what was asked.
#pragma once

#include "types.h"

// Ends the message loop once the current frame is done.
void PostQuit();
void CaptureMouse(WindowHandle window);
void ReleaseMouseCapture();
