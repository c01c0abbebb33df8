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
