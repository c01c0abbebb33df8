// The few window-system calls the portable code makes. Each build links one implementation:
// Win32, SDL, or the headless one that only records what was asked.
#pragma once

#include <filesystem>
#include <string>

#include "core/types.h"

// Ends the message loop once the current frame is done.
void PostQuit();
void CaptureMouse(WindowHandle window);
void ReleaseMouseCapture();
// The window's title, in UTF-8: where a demo stands. The page has its own bar for that.
void SetWindowTitle(WindowHandle window, const char* title);

// What the game tells the player: what was asked for (--help, --version), a note it plays on
// after (pictures missing), or the fault that stops it.
enum class Tone { answer, note, fault };
// The platform's one sink for everything the game says (worded in messages.h): the console, a
// message box, or the page.
void TellPlayer(Tone tone, const std::string& text);

// The folder the running program's file is in, or an empty path where there is none (headless,
// the web): the game looks for its pictures there and in the data folder beside it.
std::filesystem::path ExecutableFolder();
