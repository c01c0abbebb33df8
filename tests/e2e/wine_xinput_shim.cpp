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

FILE* commands = nullptr;
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

void TakeCommands() {
  if (!opened) {
    opened = true;
    const char* path = std::getenv("FENNWICK_XINPUT_PAD");
    if (path != nullptr) commands = std::fopen(path, "r");
  }
  if (commands == nullptr) return;
  char buffer[256];
  while (std::fgets(buffer, sizeof buffer, commands) != nullptr) {
    std::strncat(partial, buffer, sizeof partial - std::strlen(partial) - 1);
    const size_t length = std::strlen(partial);
    if (length == 0 || partial[length - 1] != '\n') continue;
    Run(partial);
    partial[0] = '\0';
  }
  std::clearerr(commands);
}

}  // namespace

extern "C" __declspec(dllexport) DWORD WINAPI XInputGetState(DWORD user, XINPUT_STATE* state) {
  TakeCommands();
  if (user != 0 || !attached) return ERROR_DEVICE_NOT_CONNECTED;
  *state = pad;
  return ERROR_SUCCESS;
}
