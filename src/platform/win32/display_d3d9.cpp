#include "platform/win32/display_d3d9.h"

#include "front/messages.h"
#include "core/platform.h"
#include "core/graphics/back_buffer_copy.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

constexpr DWORD hardwareVertexProcessing = D3DCREATE_HARDWARE_VERTEXPROCESSING | D3DCREATE_PUREDEVICE;
constexpr DWORD fullScreenStyle = WS_POPUP | WS_BORDER | WS_SYSMENU;  // 0x80880000
constexpr DWORD windowedStyle = WS_OVERLAPPEDWINDOW;                // 0x00CF0000
constexpr UINT fullScreenFlags = SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_FRAMECHANGED;
constexpr UINT windowedFlags = SWP_FRAMECHANGED | SWP_SHOWWINDOW;

template <typename T>
void ReleaseHeld(T*& item) {
  if (item != nullptr) {
    item->Release();
    item = nullptr;
  }
}

}  // namespace

Display::Display(WindowHandle window) : platform(std::make_unique<Platform>()) {
  Platform& p = *platform;
  const HWND hwnd = static_cast<HWND>(window);

  p.direct3d = Direct3DCreate9(D3D_SDK_VERSION);
  AllocateFrameBuffer();
  if (p.direct3d == nullptr) {
    p.failure = say::NoDirect3D();
    return;
  }

  D3DPRESENT_PARAMETERS& params = p.presentParams;
  std::memset(&params, 0, sizeof params);
  params.Windowed = TRUE;
  params.SwapEffect = D3DSWAPEFFECT_DISCARD;
  params.BackBufferFormat = D3DFMT_UNKNOWN;
  params.PresentationInterval = D3DPRESENT_INTERVAL_ONE;
  params.Flags = D3DPRESENTFLAG_LOCKABLE_BACKBUFFER;

  // The game does no vertex work at all, so a card without hardware vertex processing serves
  // just as well; only when neither kind of device exists is there no way on.
  const D3DPRESENT_PARAMETERS asked = params;
  p.deviceThreads.BeforeCreation();
  HRESULT created = p.direct3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, hwnd,
                                             hardwareVertexProcessing, &params, &p.device);
  if (FAILED(created)) {
    params = asked;  // a failed creation may have written into them
    created = p.direct3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, hwnd,
                                       D3DCREATE_SOFTWARE_VERTEXPROCESSING, &params, &p.device);
  }
  if (FAILED(created) || p.device == nullptr) {
    p.Release();
    p.failure = say::NoDirect3DDevice(static_cast<std::uint32_t>(created));
    return;
  }

  p.device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &p.backBuffer);
  p.deviceThreads.AfterCreation();
}

bool Display::CanDraw() const { return platform->device != nullptr; }
std::string Display::DrawFailure() const { return platform->failure; }

Display::~Display() { platform->Release(); }

void Display::Platform::Release() {
  // The back buffer is the device's, and the device Direct3D's: each goes before its owner.
  ReleaseHeld(backBuffer);
  ReleaseHeld(device);
  ReleaseHeld(direct3d);
  deviceThreads.WaitForEnd();
}

HRESULT Display::Platform::ResetDevice() {
  // Reset needs every reference to the old back buffer gone.
  ReleaseHeld(backBuffer);
  lockedRect.pBits = nullptr;
  const HRESULT result = device->Reset(&presentParams);
  if (SUCCEEDED(result)) device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &backBuffer);
  return result;
}

void Display::Platform::ReportUnknownFormat(bool described, D3DFORMAT format) {
  // Every frame would say the same; once tells whoever looks at the error stream.
  if (formatReported) return;
  formatReported = true;
  TellPlayer(Tone::note, described ? say::UnknownBackBuffer(static_cast<unsigned long>(format))
                                   : say::UndescribedBackBuffer());
}

bool Display::Platform::Recover() {
  // A lost device answers D3DERR_DEVICELOST until it may be reset; then it answers
  // D3DERR_DEVICENOTRESET and a reset brings it back.
  if (device->TestCooperativeLevel() == D3DERR_DEVICENOTRESET) ResetDevice();
  return backBuffer != nullptr;
}

void Display::EndFrame() {
  FinishClear();
  Platform& p = *platform;
  if (p.device == nullptr) return;
  if (p.backBuffer == nullptr && !p.Recover()) return;

  // In a window the back buffer takes the desktop's format, which may be 16-bit, and its size
  // is the window's inside, which may be smaller than the frame: both are read every frame.
  D3DSURFACE_DESC desc = {};
  const bool described = SUCCEEDED(p.backBuffer->GetDesc(&desc));
  const BackBufferLayout layout = described ? LayoutOfFormat(desc.Format) : BackBufferLayout::Unknown;
  if (layout == BackBufferLayout::Unknown) {
    p.ReportUnknownFormat(described, desc.Format);
  } else if (SUCCEEDED(p.backBuffer->LockRect(&p.lockedRect, nullptr, 0))) {
    // A failed lock leaves no bits to write to; the frame is skipped, not written to nowhere.
    CopyFrameToRows(frameBuffer, width, height,
                    {static_cast<std::uint8_t*>(p.lockedRect.pBits), p.lockedRect.Pitch, desc.Width,
                     desc.Height, layout});
    p.backBuffer->UnlockRect();
  }

  if (p.device->Present(nullptr, nullptr, nullptr, nullptr) == D3DERR_DEVICELOST) {
    // Let go of the back buffer so the device can be reset once it allows it.
    ReleaseHeld(p.backBuffer);
    p.lockedRect.pBits = nullptr;
  }
}

void Display::ToggleDisplayMode(WindowHandle window) {
  Platform& p = *platform;
  if (p.device == nullptr) return;
  const HWND hwnd = static_cast<HWND>(window);
  D3DPRESENT_PARAMETERS& params = p.presentParams;

  params.BackBufferWidth = width;
  params.BackBufferHeight = height;
  params.Windowed = params.Windowed ? FALSE : TRUE;
  if (!params.Windowed) {
    // Full screen has no desktop format to borrow; the frame buffer's layout needs X8R8G8B8.
    params.BackBufferFormat = D3DFMT_X8R8G8B8;
    // The style keeps the window shown: without WS_VISIBLE it is hidden, and a hidden window
    // can never be given the focus again once it has lost it, so the keys stop reaching it.
    const LONG shown = GetWindowLongW(hwnd, GWL_STYLE) & WS_VISIBLE;
    SetWindowLongW(hwnd, GWL_STYLE, static_cast<LONG>(fullScreenStyle) | shown);
    SetWindowPos(hwnd, HWND_TOP, 0, 0, 0, 0, fullScreenFlags);
  } else {
    params.BackBufferFormat = D3DFMT_UNKNOWN;
    // The inside is the picture's size again, so the back buffer is shown pixel for pixel.
    RECT outer = {0, 0, width, height};
    AdjustWindowRect(&outer, windowedStyle, FALSE);
    SetWindowLongW(hwnd, GWL_STYLE, static_cast<LONG>(windowedStyle));
    SetWindowPos(hwnd, HWND_NOTOPMOST, 100, 150, outer.right - outer.left, outer.bottom - outer.top,
                 windowedFlags);
  }
  p.ResetDevice();
}
