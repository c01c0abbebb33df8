#include "app/platform.h"
#include "app/platform_web.h"

namespace {
bool quitPosted = false;
}  // namespace

void PostQuit() { quitPosted = true; }
bool QuitPosted() { return quitPosted; }

// The page keeps reporting the pointer while a button is held, wherever it goes: nothing to
// capture.
void CaptureMouse(WindowHandle) {}
void ReleaseMouseCapture() {}

// The page's pictures are packed into the top folder of its file system; there is no program
// file to look beside.
std::filesystem::path ExecutableFolder() { return {}; }
