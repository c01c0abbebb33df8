// The window-system calls of the portable code, on Win32.
#include <windows.h>

#include "app/platform.h"

void PostQuit() { PostQuitMessage(0); }
void CaptureMouse(WindowHandle window) { SetCapture(static_cast<HWND>(window)); }
void ReleaseMouseCapture() { ReleaseCapture(); }
