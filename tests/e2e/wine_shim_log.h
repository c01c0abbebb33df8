// What the stand-in DLLs under Wine share: a log of the calls the game makes, one line each,
// flushed at once so that a crash loses nothing, and the game's window told apart by name.
#pragma once

#include <windows.h>

#include <cstdarg>
#include <cstdio>

namespace shim {

inline FILE*& LogFile() {
  static FILE* file = nullptr;
  return file;
}

// Opens the log named by the environment variable, or the default name in the working folder.
inline void OpenLog(const char* variable, const char* defaultName) {
  if (LogFile() != nullptr) return;
  char path[MAX_PATH] = {};
  if (GetEnvironmentVariableA(variable, path, sizeof path) == 0) lstrcpynA(path, defaultName, sizeof path);
  LogFile() = std::fopen(path, "w");
}

inline void Log(const char* format, ...) {
  if (LogFile() == nullptr) return;
  va_list args;
  va_start(args, format);
  std::vfprintf(LogFile(), format, args);
  va_end(args);
  std::fputc('\n', LogFile());
  std::fflush(LogFile());
}

inline const char* WindowName(HWND window) {
  if (window == nullptr) return "null";
  return window == FindWindowW(L"Marrowby DirectX Framework Window", L"Fennwick") ? "game" : "other";
}

}  // namespace shim
