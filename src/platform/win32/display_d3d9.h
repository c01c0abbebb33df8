// The Direct3D 9 presentation: the frame buffer is copied into the device's lockable back
// buffer and presented. Presenting may wait for the retrace, but the game's pace is the loop's.
#pragma once

#include <windows.h>
#include <d3d9.h>

#include <string>
#include <vector>

#include "platform/win32/win32_workarounds.h"
#include "core/graphics/display.h"

struct Display::Platform {
  IDirect3D9* direct3d = nullptr;
  IDirect3DDevice9* device = nullptr;
  // Held between frames; null while released for a reset, and after a reset that failed.
  IDirect3DSurface9* backBuffer = nullptr;
  D3DLOCKED_RECT lockedRect = {};
  // Whether a back buffer the frame cannot be copied into has been told of on stderr.
  bool formatReported = false;
  // The only record of the display mode: Windowed says which one is current.
  D3DPRESENT_PARAMETERS presentParams = {};
  // Why there is no device, when there is none.
  std::string failure;
  DeviceThreads deviceThreads;

  // Fetches back buffer 0 again after a successful reset; leaves it null otherwise.
  HRESULT ResetDevice();
  // Says once on stderr that frames go unseen, and why.
  void ReportUnknownFormat(bool described, D3DFORMAT format);
  // With no back buffer, whether one could be had again (the device may be lost for a while).
  bool Recover();
  void Release();
};
