// A stand-in xinput1_4.dll for the end-to-end stage under Wine: one pad in slot 0, played by
// commands the test appends to the file named by FENNWICK_XINPUT_PAD (a Windows path). Each
// XInputGetState call first takes the lines that have arrived since the last:
//
//   attach | detach              plug the pad in or pull it out
//   button NAME 0|1              a, back, dpleft, dpright
//   axis leftx VALUE             -32768 to 32767
//
// The same words as the SDL build's test pad, so one test script can play either.
#include <windows.h>
#include <xinput.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

HANDLE commands = INVALID_HANDLE_VALUE;
bool opened = false;
char partial[256] = "";
bool attached = false;
XINPUT_STATE pad = {};

WORD ButtonBit(const char* name) {
  if (std::strcmp(name, "a") == 0) return XINPUT_GAMEPAD_A;
  if (std::strcmp(name, "back") == 0) return XINPUT_GAMEPAD_BACK;
  if (std::strcmp(name, "dpleft") == 0) return XINPUT_GAMEPAD_DPAD_LEFT;
  if (std::strcmp(name, "dpright") == 0) return XINPUT_GAMEPAD_DPAD_RIGHT;
  return 0;
}

void Run(const char* line) {
  char command[32] = "", name[32] = "";
  int value = 0;
  if (std::sscanf(line, "%31s %31s %d", command, name, &value) < 1) return;
  if (std::strcmp(command, "attach") == 0) {
    attached = true;
    pad = {};
  } else if (std::strcmp(command, "detach") == 0) {
    attached = false;
  } else if (std::strcmp(command, "button") == 0) {
    const WORD bit = ButtonBit(name);
    pad.Gamepad.wButtons = static_cast<WORD>(value ? pad.Gamepad.wButtons | bit : pad.Gamepad.wButtons & ~bit);
  } else if (std::strcmp(command, "axis") == 0 && std::strcmp(name, "leftx") == 0) {
    pad.Gamepad.sThumbLX = static_cast<SHORT>(value);
  }
  ++pad.dwPacketNumber;
}

// Read with the file API rather than the C library's streams: once those have met the end of
// the file they do not see what the test appends after it.
void TakeCommands() {
  if (!opened) {
    opened = true;
    const char* path = std::getenv("FENNWICK_XINPUT_PAD");
    if (path != nullptr) {
      commands = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                             nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    }
  }
  if (commands == INVALID_HANDLE_VALUE) return;
  char byte = 0;
  DWORD got = 0;
  while (ReadFile(commands, &byte, 1, &got, nullptr) && got == 1) {
    if (byte != '\n') {
      const size_t length = std::strlen(partial);
      if (length + 1 < sizeof partial) {
        partial[length] = byte;
        partial[length + 1] = '\0';
      }
      continue;
    }
    Run(partial);
    partial[0] = '\0';
  }
}

}  // namespace

extern "C" __declspec(dllexport) DWORD WINAPI XInputGetState(DWORD user, XINPUT_STATE* state) {
  TakeCommands();
  if (user != 0 || !attached) return ERROR_DEVICE_NOT_CONNECTED;
  *state = pad;
  return ERROR_SUCCESS;
}
