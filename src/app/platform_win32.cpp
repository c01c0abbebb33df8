// The window-system calls of the portable code, on Win32.
#include <windows.h>

#include <string>

#include "app/platform.h"

void PostQuit() { PostQuitMessage(0); }
void CaptureMouse(WindowHandle window) { SetCapture(static_cast<HWND>(window)); }
void ReleaseMouseCapture() { ReleaseCapture(); }

std::filesystem::path ExecutableFolder() {
  // The path may be longer than MAX_PATH; a full buffer means it was cut short.
  std::wstring name(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size()));
    if (length == 0) return {};
    if (length < name.size()) {
      name.resize(length);
      return std::filesystem::path(name).parent_path();
    }
    if (name.size() >= 32768) return {};
    name.resize(name.size() * 2);
  }
}
