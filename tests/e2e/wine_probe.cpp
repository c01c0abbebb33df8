// Looks at the running Windows game from outside, under Wine, for the end-to-end stage:
// the window system's own view of the window (its class, style and placement) and the
// resources the executable carries. Prints "key=value" lines; exits 1 when the thing asked
// about is missing.
//
//   wine_probe window             the game's window, found by its class and title
//   wine_probe resources EXE      the icons and the manifest inside EXE
//   wine_probe dialog             the game's message box: prints its text, then presses OK
//   wine_probe close              closes the game's window the way its close box does
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

const wchar_t className[] = L"Marrowby DirectX Framework Window";
const wchar_t windowTitle[] = L"Fennwick";

std::string Narrow(const wchar_t* text) {
  char out[512];
  const int length = WideCharToMultiByte(CP_UTF8, 0, text, -1, out, sizeof out, nullptr, nullptr);
  return length > 0 ? out : "";
}

int ProbeWindow() {
  const HWND window = FindWindowW(className, windowTitle);
  if (window == nullptr) {
    std::printf("found=no\n");
    return 1;
  }
  wchar_t name[256] = {};
  GetClassNameW(window, name, 256);
  wchar_t title[256] = {};
  GetWindowTextW(window, title, 256);
  RECT outer = {};
  GetWindowRect(window, &outer);
  RECT client = {};
  GetClientRect(window, &client);
  POINT origin = {0, 0};
  ClientToScreen(window, &origin);

  std::printf("found=yes\n");
  std::printf("class=%s\n", Narrow(name).c_str());
  std::printf("title=%s\n", Narrow(title).c_str());
  std::printf("style=0x%08lX\n", static_cast<unsigned long>(GetWindowLongW(window, GWL_STYLE)));
  std::printf("classstyle=0x%04lX\n", static_cast<unsigned long>(GetClassLongPtrW(window, GCL_STYLE)));
  std::printf("outer=%ld,%ld,%ld,%ld\n", outer.left, outer.top, outer.right - outer.left,
              outer.bottom - outer.top);
  std::printf("client=%ld,%ld,%ld,%ld\n", origin.x, origin.y, client.right, client.bottom);
  return 0;
}

int CloseWindow() {
  const HWND window = FindWindowW(className, windowTitle);
  if (window == nullptr) return 1;
  PostMessageW(window, WM_CLOSE, 0, 0);
  return 0;
}

int ProbeDialog() {
  const HWND dialog = FindWindowW(L"#32770", windowTitle);
  if (dialog == nullptr) {
    std::printf("found=no\n");
    return 1;
  }
  wchar_t text[512] = {};
  GetDlgItemTextW(dialog, 0xFFFF, text, 512);  // a message box's text is control 0xFFFF
  std::printf("found=yes\ntext=%s\n", Narrow(text).c_str());
  PostMessageW(dialog, WM_COMMAND, IDOK, 0);
  return 0;
}

// The size of the one image an icon group resource holds, or 0 when the group is missing.
int IconGroupSize(HMODULE module, int id, int* bits) {
  const HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(14));  // RT_GROUP_ICON
  if (found == nullptr) return 0;
  const auto* group = static_cast<const BYTE*>(LockResource(LoadResource(module, found)));
  if (group == nullptr || SizeofResource(module, found) < 6 + 14) return 0;
  const int count = group[4] | (group[5] << 8);
  if (count != 1) return -count;
  const BYTE* entry = group + 6;  // GRPICONDIRENTRY: width, height, colours, reserved, planes, bits...
  *bits = entry[6] | (entry[7] << 8);
  return entry[0] == 0 ? 256 : entry[0];
}

int ProbeResources(const wchar_t* path) {
  const HMODULE module = LoadLibraryExW(path, nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (module == nullptr) {
    std::printf("loaded=no\n");
    return 1;
  }
  for (int id : {101, 103}) {
    int bits = 0;
    const int size = IconGroupSize(module, id, &bits);
    std::printf("icon%d=%dx%d@%d\n", id, size, size, bits);
  }
  std::string manifest;
  const HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));  // RT_MANIFEST
  if (found != nullptr) {
    const auto* text = static_cast<const char*>(LockResource(LoadResource(module, found)));
    if (text != nullptr) manifest.assign(text, SizeofResource(module, found));
  }
  std::printf("manifest=%s\n", manifest.empty() ? "no" : "yes");
  std::printf("asinvoker=%s\n", manifest.find("level=\"asInvoker\"") != std::string::npos ? "yes" : "no");
  std::printf("uiaccess=%s\n", manifest.find("uiAccess=\"false\"") != std::string::npos ? "false" : "other");
  FreeLibrary(module);
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc >= 2 && std::wcscmp(argv[1], L"window") == 0) return ProbeWindow();
  if (argc >= 3 && std::wcscmp(argv[1], L"resources") == 0) return ProbeResources(argv[2]);
  if (argc >= 2 && std::wcscmp(argv[1], L"dialog") == 0) return ProbeDialog();
  if (argc >= 2 && std::wcscmp(argv[1], L"close") == 0) return CloseWindow();
  std::fprintf(stderr, "usage: wine_probe window | resources EXE | dialog | close\n");
  return 2;
}
