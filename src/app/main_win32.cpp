// The Windows entry: one window, one GameWorld, and a message loop that runs a frame whenever
// no message is waiting. The pace comes from the display's wait for the vertical retrace, so
// the loop itself never sleeps.
#include <windows.h>

#include <cstdint>

#include "app/resources/resource_ids.h"
#include "app/window_messages.h"
#include "game/game_world.h"
#include "graphics/display_d3d9.h"

namespace {

constexpr wchar_t className[] = L"Marrowby DirectX Framework Window";
constexpr wchar_t windowTitle[] = L"Fennwick";
constexpr DWORD windowStyle = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;  // 0x00CA0000
static_assert(windowStyle == 0x00CA0000, "the start-up window has no sizing border");

// Where the 800 x 600 client area goes on the screen.
constexpr RECT clientPlacement = {50, 150, 850, 750};

LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  // Every message goes through the portable handler first, then on to Windows: the game only
  // watches, it never swallows a message.
  HandleWindowMessage(window, message, static_cast<std::uintptr_t>(wParam),
                      static_cast<std::intptr_t>(lParam));
  return DefWindowProcW(window, message, wParam, lParam);
}

void RegisterWindowClass(HINSTANCE instance, HINSTANCE module) {
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
  RegisterClassExW(&windowClass);
}

int RunGame(HWND window, HINSTANCE module) {
  {
    GameWorld world(window);
    MSG message = {};
    while (message.message != WM_QUIT) {
      if (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
      } else {
        world.RunFrame(window);
      }
    }
    // The class goes before the world does; with Escape the window still exists here, and
    // Windows refuses the unregistration, which is harmless at exit.
    UnregisterClassW(className, module);
  }
  return 0;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  const HINSTANCE module = GetModuleHandleW(nullptr);
  RegisterWindowClass(instance, module);

  RECT outer = clientPlacement;
  AdjustWindowRect(&outer, windowStyle, FALSE);
  const HWND window = CreateWindowExW(0, className, windowTitle, windowStyle, outer.left, outer.top,
                                      outer.right - outer.left, outer.bottom - outer.top, nullptr,
                                      nullptr, module, nullptr);
  ShowWindow(window, SW_SHOWDEFAULT);
  UpdateWindow(window);

  try {
    return RunGame(window, module);
  } catch (const DisplayStartError& failure) {
    // Without a device there is nothing to show the game on: say so rather than vanish.
    const char* what = failure.what();
    wchar_t text[512];
    const int length = MultiByteToWideChar(CP_UTF8, 0, what, -1, text, 512);
    if (length == 0) lstrcpynW(text, L"Fennwick could not start.", 512);
    MessageBoxW(window, text, windowTitle, MB_OK | MB_ICONERROR);
    return 1;
  }
}
