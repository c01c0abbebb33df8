#include "app/win32_workarounds.h"

#include <tlhelp32.h>

#include <algorithm>
#include <cstdint>

#include "app/gamepad.h"
#include "app/keyboard.h"

namespace {

// The ids of this process's threads as they stand.
std::vector<DWORD> ThreadIds() {
  std::vector<DWORD> ids;
  const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return ids;
  THREADENTRY32 entry = {};
  entry.dwSize = sizeof entry;
  for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry))
    if (entry.th32OwnerProcessID == GetCurrentProcessId()) ids.push_back(entry.th32ThreadID);
  CloseHandle(snapshot);
  return ids;
}

}  // namespace

void DeviceThreads::BeforeCreation() { before = ThreadIds(); }

void DeviceThreads::AfterCreation() {
  for (const DWORD id : ThreadIds()) {
    if (std::find(before.begin(), before.end(), id) != before.end()) continue;
    if (const HANDLE thread = OpenThread(SYNCHRONIZE, FALSE, id)) threads.push_back(thread);
  }
}

void DeviceThreads::WaitForEnd() {
  if (threads.empty()) return;
  const auto count = static_cast<DWORD>(std::min<std::size_t>(threads.size(), MAXIMUM_WAIT_OBJECTS));
  WaitForMultipleObjects(count, threads.data(), TRUE, 500);
  for (const HANDLE thread : threads) CloseHandle(thread);
  threads.clear();
}

HMODULE LoadForGood(const wchar_t* name) { return LoadLibraryW(name); }

void ReleaseKeysLetGoElsewhere(GamepadKeys& keys) {
  for (int code = 1; code < 256; ++code) {
    if (processKeyboard.IsKeyDown(static_cast<std::uint8_t>(code)) && !(GetAsyncKeyState(code) & 0x8000))
      keys.Message(WM_KEYUP, static_cast<std::uintptr_t>(code), 0);
  }
}

bool StalePresses::Filter(HWND window, UINT message) {
  // A focus message's own time says little; the clock at its handling is when it happened.
  if (message == WM_KILLFOCUS) clock.Lost(GetTickCount());
  if (message == WM_SETFOCUS) clock.Returned(GetTickCount());
  if (message != WM_KEYDOWN && message != WM_SYSKEYDOWN && message != WM_CHAR) return false;
  return clock.StalePress(GetFocus() == window, static_cast<std::uint32_t>(GetMessageTime()));
}

void StalePresses::QueueEmptied(HWND window) { clock.QueueEmptied(GetFocus() == window, GetTickCount()); }
