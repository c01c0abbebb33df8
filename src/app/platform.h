// The few window-system calls the portable code makes. Each build links one implementation:
// Win32, SDL, or the headless one that only records what was asked.
#pragma once

#include <filesystem>

#include "types.h"

// Ends the message loop once the current frame is done.
void PostQuit();
void CaptureMouse(WindowHandle window);
void ReleaseMouseCapture();

// The folder the running program's file is in, or an empty path where there is none (headless,
// the web): the game looks for its pictures there and in the data folder beside it.
std::filesystem::path ExecutableFolder();
