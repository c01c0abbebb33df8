// The window-system calls of the portable code, on Win32.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include "app/platform.h"

void PostQuit() { PostQuitMessage(0); }
void CaptureMouse(WindowHandle window) { SetCapture(static_cast<HWND>(window)); }
void ReleaseMouseCapture() { ReleaseCapture(); }
