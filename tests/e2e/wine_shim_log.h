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

inline char* LogPath() {
  static char path[MAX_PATH] = {};
  return path;
}

// Opens the log named by the environment variable, or the default name in the working folder.
inline void OpenLog(const char* variable, const char* defaultName) {
  if (LogFile() != nullptr) return;
  char* path = LogPath();
  if (GetEnvironmentVariableA(variable, path, MAX_PATH) == 0) lstrcpynA(path, defaultName, MAX_PATH);
  LogFile() = std::fopen(path, "w");
}

// A line from a thread that the end of the process may cut short: written past the C runtime,
// whose stream lock, held by a thread killed in the middle of a write, would leave the process
// unable to end.
inline void LogFromThread(const char* line) {
  const HANDLE file = CreateFileA(LogPath(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file, line, lstrlenA(line), &written, nullptr);
  WriteFile(file, "\n", 1, &written, nullptr);
  CloseHandle(file);
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
