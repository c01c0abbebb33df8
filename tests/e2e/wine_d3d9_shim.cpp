// A stand-in d3d9.dll for the end-to-end stage under Wine. It hands every call on to Wine's
// own Direct3D 9 (copied beside it as d3d9real.dll), writes the calls the game makes to a log,
// and, when asked, makes the device misbehave the way real ones do, so the display's recovery
// paths run for real:
//
//   FENNWICK_D3D9_LOG    where the log goes (default d3d9-calls.log in the working folder)
//   FENNWICK_D3D9_FAULT  hardware-fails    no device with hardware vertex processing
//                        no-device         no device at all
//                        windowed-reset-fails-once
//                                          the first Reset back to a window fails and leaves
//                                          the device waiting for another
//                        lost              the 60th Present finds the device lost; it stays
//                                          lost for 5 checks, then may be reset
//                        r5g6b5, x1r5g5b5, unknown-format
//                                          the back buffer says it is R5G6B5, X1R5G5B5 or
//                                          A2R10G10B10, as on a desktop of that depth, and a
//                                          lock hands out rows of 1,600 bytes with guard bytes
//                                          after the last; the 30th frame written goes raw to
//   FENNWICK_D3D9_DUMP   (default d3d9-frame.raw)
//
// Like a real driver's, the device comes with a thread of its own, and finishes its teardown
// there, 100 ms after its last release has returned ("Device thread done" in the log): a game
// that ends its process at once cuts that short.
//
// Only the interfaces' method tables are swapped; the objects stay Wine's own.
#define CINTERFACE
#include <windows.h>
#include <d3d9.h>

#include <cstdio>
#include <cstring>

#include "wine_shim_log.h"

namespace {

using shim::Log;
using shim::WindowName;

char fault[64] = "";

IDirect3D9Vtbl realDirect3D;
IDirect3D9Vtbl shimDirect3D;
IDirect3DDevice9Vtbl realDevice;
IDirect3DDevice9Vtbl shimDevice;

long presents = 0;
bool logNextPresent = true;
bool waitingForReset = false;  // the device answers D3DERR_DEVICENOTRESET until a Reset works
int lostChecksLeft = 0;        // D3DERR_DEVICELOST answers still to give
bool lost = false;
HANDLE teardown = nullptr;  // set when the device's last reference is gone

// The back buffer of another desktop depth: the game's copy lands here, never in Wine's.
IDirect3DSurface9Vtbl realSurface;
IDirect3DSurface9Vtbl shimSurface;
D3DFORMAT claimedFormat = D3DFMT_UNKNOWN;  // D3DFMT_UNKNOWN: the back buffer is Wine's own
constexpr INT claimedPitch = 1600;
constexpr std::size_t rowBytes = claimedPitch * 600;
constexpr std::size_t guardBytes = 4096;
constexpr unsigned char guard = 0xA5;
unsigned char* claimedBits = nullptr;  // the rows, then the guard bytes
long unlocks = 0;
bool guardBroken = false;

DWORD WINAPI DeviceThread(void*) {
  WaitForSingleObject(teardown, INFINITE);
  Sleep(100);
  shim::LogFromThread("Device thread done");
  return 0;
}

bool Fault(const char* name) { return std::strcmp(fault, name) == 0; }

void LogParams(const char* call, const D3DPRESENT_PARAMETERS* p, HRESULT result) {
  Log("%s BackBufferWidth=%u BackBufferHeight=%u BackBufferFormat=%d BackBufferCount=%u "
      "MultiSampleType=%d MultiSampleQuality=%lu SwapEffect=%d hDeviceWindow=%s Windowed=%d "
      "EnableAutoDepthStencil=%d AutoDepthStencilFormat=%d Flags=0x%lx "
      "FullScreen_RefreshRateInHz=%u PresentationInterval=0x%x -> 0x%08lx",
      call, p->BackBufferWidth, p->BackBufferHeight, p->BackBufferFormat, p->BackBufferCount,
      p->MultiSampleType, p->MultiSampleQuality, p->SwapEffect, WindowName(p->hDeviceWindow),
      p->Windowed, p->EnableAutoDepthStencil, p->AutoDepthStencilFormat, p->Flags,
      p->FullScreen_RefreshRateInHz, p->PresentationInterval, static_cast<unsigned long>(result));
}

HRESULT WINAPI DeviceTestCooperativeLevel(IDirect3DDevice9* self) {
  HRESULT result;
  if (lostChecksLeft > 0) {
    --lostChecksLeft;
    result = D3DERR_DEVICELOST;
  } else if (waitingForReset) {
    result = D3DERR_DEVICENOTRESET;
  } else {
    result = realDevice.TestCooperativeLevel(self);
  }
  Log("TestCooperativeLevel -> 0x%08lx", static_cast<unsigned long>(result));
  return result;
}

HRESULT WINAPI DeviceReset(IDirect3DDevice9* self, D3DPRESENT_PARAMETERS* params) {
  const D3DPRESENT_PARAMETERS asked = *params;
  HRESULT result;
  if (Fault("windowed-reset-fails-once") && params->Windowed) {
    result = D3DERR_INVALIDCALL;
    waitingForReset = true;
    std::strcpy(fault, "spent");
  } else if (lostChecksLeft > 0) {
    result = D3DERR_DEVICELOST;
  } else {
    result = realDevice.Reset(self, params);
    if (SUCCEEDED(result)) waitingForReset = lost = false;
  }
  LogParams("Reset", &asked, result);
  return result;
}

HRESULT WINAPI DevicePresent(IDirect3DDevice9* self, const RECT* source, const RECT* target,
                             HWND window, const RGNDATA* dirty) {
  ++presents;
  if (Fault("lost") && presents == 60) {
    lost = waitingForReset = true;
    lostChecksLeft = 5;
    logNextPresent = true;
  }
  const HRESULT result = lost ? D3DERR_DEVICELOST : realDevice.Present(self, source, target, window, dirty);
  if (logNextPresent || FAILED(result)) {
    Log("Present #%ld source=%s target=%s window=%s dirty=%s -> 0x%08lx", presents,
        source ? "rect" : "null", target ? "rect" : "null", WindowName(window),
        dirty ? "region" : "null", static_cast<unsigned long>(result));
    logNextPresent = false;
  }
  return result;
}

HRESULT WINAPI SurfaceGetDesc(IDirect3DSurface9* self, D3DSURFACE_DESC* desc) {
  const HRESULT result = realSurface.GetDesc(self, desc);
  if (SUCCEEDED(result)) desc->Format = claimedFormat;
  return result;
}

HRESULT WINAPI SurfaceLockRect(IDirect3DSurface9*, D3DLOCKED_RECT* locked, const RECT*, DWORD) {
  if (unlocks == 0) Log("LockRect of a back buffer of format %d", claimedFormat);
  locked->pBits = claimedBits;
  locked->Pitch = claimedPitch;
  return D3D_OK;
}

HRESULT WINAPI SurfaceUnlockRect(IDirect3DSurface9*) {
  ++unlocks;
  for (std::size_t i = rowBytes; !guardBroken && i < rowBytes + guardBytes; ++i) {
    if (claimedBits[i] == guard) continue;
    guardBroken = true;
    Log("Guard byte %zu past the rows overwritten by frame %ld", i - rowBytes, unlocks);
  }
  if (unlocks == 30) {
    char path[MAX_PATH];
    if (GetEnvironmentVariableA("FENNWICK_D3D9_DUMP", path, MAX_PATH) == 0) lstrcpynA(path, "d3d9-frame.raw", MAX_PATH);
    if (FILE* file = std::fopen(path, "wb")) {
      std::fwrite(claimedBits, 1, rowBytes, file);
      std::fclose(file);
      Log("Frame 30 dumped");
    }
  }
  return D3D_OK;
}

HRESULT WINAPI DeviceGetBackBuffer(IDirect3DDevice9* self, UINT swapChain, UINT index,
                                   D3DBACKBUFFER_TYPE type, IDirect3DSurface9** surface) {
  const HRESULT result = realDevice.GetBackBuffer(self, swapChain, index, type, surface);
  Log("GetBackBuffer %u %u %d -> 0x%08lx", swapChain, index, type, static_cast<unsigned long>(result));
  if (SUCCEEDED(result) && claimedFormat != D3DFMT_UNKNOWN) {
    realSurface = *(*surface)->lpVtbl;
    shimSurface = realSurface;
    shimSurface.GetDesc = SurfaceGetDesc;
    shimSurface.LockRect = SurfaceLockRect;
    shimSurface.UnlockRect = SurfaceUnlockRect;
    (*surface)->lpVtbl = &shimSurface;
  }
  logNextPresent = true;
  return result;
}

ULONG WINAPI DeviceRelease(IDirect3DDevice9* self) {
  const ULONG left = realDevice.Release(self);
  if (left == 0) {
    Log("Device released after %ld presents", presents);
    if (claimedFormat != D3DFMT_UNKNOWN)
      Log("%ld frames written, guard bytes %s", unlocks, guardBroken ? "overwritten" : "intact");
    SetEvent(teardown);
  }
  return left;
}

HRESULT WINAPI Direct3DCreateDevice(IDirect3D9* self, UINT adapter, D3DDEVTYPE type, HWND focus,
                                    DWORD flags, D3DPRESENT_PARAMETERS* params,
                                    IDirect3DDevice9** device) {
  const D3DPRESENT_PARAMETERS asked = *params;
  const bool refuse = Fault("no-device") ||
                      (Fault("hardware-fails") && (flags & D3DCREATE_HARDWARE_VERTEXPROCESSING));
  const HRESULT result =
      refuse ? D3DERR_NOTAVAILABLE
             : realDirect3D.CreateDevice(self, adapter, type, focus, flags, params, device);
  char call[128];
  std::snprintf(call, sizeof call, "CreateDevice adapter=%u type=%d focus=%s flags=0x%lx", adapter,
                type, WindowName(focus), flags);
  LogParams(call, &asked, result);
  if (SUCCEEDED(result)) {
    realDevice = *(*device)->lpVtbl;
    shimDevice = realDevice;
    shimDevice.TestCooperativeLevel = DeviceTestCooperativeLevel;
    shimDevice.Reset = DeviceReset;
    shimDevice.Present = DevicePresent;
    shimDevice.GetBackBuffer = DeviceGetBackBuffer;
    shimDevice.Release = DeviceRelease;
    (*device)->lpVtbl = &shimDevice;
    teardown = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    CloseHandle(CreateThread(nullptr, 0, DeviceThread, nullptr, 0, nullptr));
  }
  return result;
}

ULONG WINAPI Direct3DRelease(IDirect3D9* self) {
  const ULONG left = realDirect3D.Release(self);
  if (left == 0) Log("Direct3D released");
  return left;
}

}  // namespace

extern "C" __declspec(dllexport) IDirect3D9* WINAPI Direct3DCreate9(UINT sdkVersion) {
  GetEnvironmentVariableA("FENNWICK_D3D9_FAULT", fault, sizeof fault);
  shim::OpenLog("FENNWICK_D3D9_LOG", "d3d9-calls.log");
  claimedFormat = Fault("r5g6b5") ? D3DFMT_R5G6B5 : Fault("x1r5g5b5") ? D3DFMT_X1R5G5B5
                : Fault("unknown-format") ? D3DFMT_A2R10G10B10 : D3DFMT_UNKNOWN;
  if (claimedFormat != D3DFMT_UNKNOWN && claimedBits == nullptr) {
    claimedBits = static_cast<unsigned char*>(
        VirtualAlloc(nullptr, rowBytes + guardBytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    std::memset(claimedBits, 0, rowBytes);
    std::memset(claimedBits + rowBytes, guard, guardBytes);
  }

  using CreateFunction = IDirect3D9*(WINAPI*)(UINT);
  const HMODULE real = LoadLibraryW(L"d3d9real.dll");
  const auto create = real ? reinterpret_cast<CreateFunction>(
                                 reinterpret_cast<void*>(GetProcAddress(real, "Direct3DCreate9"))) : nullptr;
  IDirect3D9* direct3d = create ? create(sdkVersion) : nullptr;
  Log("Direct3DCreate9 %u -> %s", sdkVersion, direct3d ? "object" : "null");
  if (direct3d != nullptr) {
    realDirect3D = *direct3d->lpVtbl;
    shimDirect3D = realDirect3D;
    shimDirect3D.CreateDevice = Direct3DCreateDevice;
    shimDirect3D.Release = Direct3DRelease;
    direct3d->lpVtbl = &shimDirect3D;
  }
  return direct3d;
}
