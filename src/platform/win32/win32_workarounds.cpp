#include "platform/win32/win32_workarounds.h"

#include <tlhelp32.h>

#include <algorithm>
#include <cstdint>


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
