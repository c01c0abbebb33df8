// The Windows entry: one window, one GameWorld, and the shared loop, which handles every
// waiting message and runs frames at the game's own pace, sleeping in between.
#include <windows.h>
#include <mmsystem.h>
#include <shellapi.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "front/game_loop.h"
#include "front/game_start.h"
#include "platform/win32/gamepad_xinput.h"
#include "platform/win32/input_win32.h"
#include "front/messages.h"
#include "core/platform.h"
#include "platform/win32/resources/resource_ids.h"

namespace {

constexpr wchar_t className[] = L"Marrowby DirectX Framework Window";
constexpr wchar_t windowTitle[] = L"Fennwick";
constexpr DWORD windowStyle = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;  // 0x00CA0000
static_assert(windowStyle == 0x00CA0000, "the start-up window has no sizing border");

// Where the 800 x 600 client area goes on the screen.
constexpr RECT clientPlacement = {50, 150, 850, 750};

// The shared loop's view of the Win32 message queue, and of the pads, which are read once a
// frame.
class Win32Loop : public LoopPlatform {
 public:
  Win32Loop(HWND window, PlayerInput& input) : window(window), input(input) {}

  bool HandleOneMessage() override {
    MSG message = {};
    if (!PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) return false;
    if (message.message == WM_QUIT) quit = true;
    TranslateMessage(&message);
    DispatchMessageW(&message);
    return true;
  }

  void WaitForMessage(FramePacer::Clock::duration timeout) override {
    // Whole milliseconds, rounded up; with the one-millisecond timer period the wake-up is
    // about that precise. Any message, posted or sent, ends the wait.
    const double milliseconds = std::chrono::duration<double, std::milli>(timeout).count();
    MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(std::ceil(milliseconds)), QS_ALLINPUT,
                                MWMO_INPUTAVAILABLE);
  }

  bool QuitPosted() const override { return quit; }

  void FrameDue() override {
    FeedKeyStates(window, input);
    pads.Read(input);
  }

 private:
  HWND window;
  PlayerInput& input;
  XInputPads pads;
  bool quit = false;
};

std::string Narrow(const wchar_t* text) {
  const int bytes = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  std::string narrow(bytes > 0 ? static_cast<std::size_t>(bytes) : 1, '\0');
  if (bytes > 0) WideCharToMultiByte(CP_UTF8, 0, text, -1, &narrow[0], bytes, nullptr, nullptr);
  narrow.resize(narrow.size() - 1);
  return narrow;
}

// Windows hands the program one UTF-16 command line; the options want UTF-8 words.
std::vector<std::string> Arguments() {
  std::vector<std::string> args;
  int count = 0;
  wchar_t** words = CommandLineToArgvW(GetCommandLineW(), &count);
  if (words == nullptr) return args;
  for (int i = 1; i < count; ++i) args.push_back(Narrow(words[i]));
  LocalFree(words);
  return args;
}

// The system's own words for why a call failed, and its number.
std::string SystemReason(DWORD error) {
  wchar_t* text = nullptr;
  const DWORD length = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                          FORMAT_MESSAGE_IGNORE_INSERTS,
                                      nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::string reason = length > 0 && text != nullptr ? Narrow(text) : "";
  if (text != nullptr) LocalFree(text);
  while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r' || reason.back() == '.' ||
                             reason.back() == ' '))
    reason.pop_back();
  return (reason.empty() ? "" : reason + " ") + "(error " + std::to_string(error) + ")";
}

bool RegisterWindowClass(HINSTANCE instance, HINSTANCE module) {
  WNDCLASSEXW windowClass = {};
  windowClass.cbSize = sizeof windowClass;
  windowClass.style = CS_CLASSDC;
  windowClass.lpfnWndProc = WindowProcedure;
  windowClass.hInstance = module;
  windowClass.hIcon = static_cast<HICON>(
      LoadImageW(instance, MAKEINTRESOURCEW(IDI_FENNWICK_LARGE), IMAGE_ICON, 32, 32, 0));
  windowClass.hIconSm = static_cast<HICON>(
      LoadImageW(instance, MAKEINTRESOURCEW(IDI_FENNWICK_SMALL), IMAGE_ICON, 16, 16, 0));
  windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
  windowClass.lpszClassName = className;
  return RegisterClassExW(&windowClass) != 0;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  GameStart start;
  if (!start.Prepare(Arguments())) return start.Report();

  const HINSTANCE module = GetModuleHandleW(nullptr);
  if (!RegisterWindowClass(instance, module)) {
    start.Fail(GameStart::cannotPlay, say::CannotRegisterWindow(SystemReason(GetLastError())));
    return start.Report();
  }

  RECT outer = clientPlacement;
  AdjustWindowRect(&outer, windowStyle, FALSE);
  const HWND window = CreateWindowExW(0, className, windowTitle, windowStyle, outer.left, outer.top,
                                      outer.right - outer.left, outer.bottom - outer.top, nullptr,
                                      nullptr, module, nullptr);
  if (window == nullptr) {
    start.Fail(GameStart::cannotPlay, say::CannotCreateWindow(SystemReason(GetLastError())));
    UnregisterClassW(className, module);
    return start.Report();
  }
  ShowWindow(window, SW_SHOWDEFAULT);
  UpdateWindow(window);

  // The default timer ticks every 15.6 ms, too coarse to sleep to a frame's deadline.
  timeBeginPeriod(1);
  if (!start.Build(window)) {
    // Without a device there is nothing to show the game on: say so rather than vanish.
    start.Report();
  } else {
    AttachInput(window, &start.Input());
    Win32Loop loop(window, start.Input());
    start.Play(loop);
    AttachInput(window, nullptr);
  }
  // The class goes before the world does; with Escape the window still exists here, and
  // Windows refuses the unregistration, which is harmless at exit. The window is left for the
  // end of the process to take down: destroying it here first hides it, and under Wine on a
  // screen without a window manager the hiding can wait for good.
  UnregisterClassW(className, module);
  start.End();
  timeEndPeriod(1);
  return start.exitCode;
}
