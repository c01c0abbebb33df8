// The window-system calls of the portable code, on Win32.
#include <windows.h>

#include <string>

#include "front/messages.h"
#include "core/platform.h"

namespace {

// The box breaks a long line wherever it likes, even inside an option: the lines come broken
// already, short enough for a box on the smallest screen.
constexpr std::size_t boxWidth = 50;

std::wstring Widen(const std::string& text) {
  const int length = MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, nullptr, 0);
  std::wstring wide(length > 0 ? static_cast<std::size_t>(length) : 1, L'\0');
  if (length > 0) MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, &wide[0], length);
  return wide;
}

}  // namespace

// A note goes to standard error, where someone looking for a fault looks, even from a program
// without a console. An answer goes to the console that asked, if there is one; it and every
// fault otherwise go where the player looks: a box.
void TellPlayer(Tone tone, const std::string& text) {
  const HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  const bool console = out != nullptr && out != INVALID_HANDLE_VALUE;
  if (tone == Tone::note || (tone == Tone::answer && console)) {
    TellConsole(tone, text);
    return;
  }
  MessageBoxW(GetActiveWindow(), Widen(WrapForBox(text, boxWidth)).c_str(), L"Fennwick",
              MB_OK | (tone == Tone::answer ? MB_ICONINFORMATION : MB_ICONERROR));
}

void PostQuit() { PostQuitMessage(0); }
void CaptureMouse(WindowHandle window) { SetCapture(static_cast<HWND>(window)); }
void ReleaseMouseCapture() { ReleaseCapture(); }
void SetWindowTitle(WindowHandle window, const char* title) {
  // A title is short: a fixed buffer, so that a frame allocates nothing.
  wchar_t wide[160];
  if (MultiByteToWideChar(CP_UTF8, 0, title, -1, wide, 160) > 0) SetWindowTextW(static_cast<HWND>(window), wide);
}

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
