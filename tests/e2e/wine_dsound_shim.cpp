// A stand-in dsound.dll for the Windows reliability stage under Wine. Wine has no sound device
// there, so its own DirectSound fails at the first call and the rest of the game's sequence
// never runs. This one is a device of its own: a DirectSound 8 object and a primary buffer that
// accept what the game asks, write every call with its arguments to a log, and, when asked,
// fail one step:
//
//   FENNWICK_DSOUND_LOG    where the log goes (default dsound-calls.log in the working folder)
//   FENNWICK_DSOUND_FAULT  create | cooperative-level | create-buffer | set-format
//
// Any method the game was not expected to call is logged as "unexpected" and fails.
#include <windows.h>
#include <mmsystem.h>
#include <mmreg.h>
#include <dsound.h>

#include <cstdio>
#include <cstring>

#include "wine_shim_log.h"

namespace {

using shim::Log;
using shim::WindowName;

char fault[64] = "";

bool Fault(const char* name) { return std::strcmp(fault, name) == 0; }

HRESULT Result(const char* step, HRESULT failure) { return Fault(step) ? failure : DS_OK; }

HRESULT Unexpected(const char* method) {
  Log("unexpected %s", method);
  return DSERR_UNSUPPORTED;
}

bool IsNullGuid(const GUID& guid) {
  static const GUID none = {};
  return std::memcmp(&guid, &none, sizeof guid) == 0;
}

// The objects count their references like COM objects and delete themselves at zero, so a
// release too many shows up in the log as a count below zero rather than passing unnoticed.
template <class Interface>
class Counted : public Interface {
 public:
  explicit Counted(const char* name) : name(name) {}
  virtual ~Counted() = default;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** object) override {
    if (object != nullptr) *object = nullptr;
    return Unexpected("QueryInterface");
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++references); }
  ULONG STDMETHODCALLTYPE Release() override {
    const long left = --references;
    if (left == 0) {
      Log("%s released", name);
      delete this;
    } else if (left < 0) {
      Log("%s released too often (%ld)", name, left);
    }
    return static_cast<ULONG>(left < 0 ? 0 : left);
  }

 private:
  const char* name;
  long references = 1;
};

class PrimaryBuffer final : public Counted<IDirectSoundBuffer> {
 public:
  PrimaryBuffer() : Counted("Buffer") {}

  HRESULT STDMETHODCALLTYPE SetFormat(LPCWAVEFORMATEX f) override {
    const HRESULT result = Result("set-format", DSERR_BADFORMAT);
    if (f == nullptr) {
      Log("SetFormat null -> 0x%08lx", static_cast<unsigned long>(result));
    } else {
      Log("SetFormat wFormatTag=%u nChannels=%u nSamplesPerSec=%lu nAvgBytesPerSec=%lu nBlockAlign=%u "
          "wBitsPerSample=%u cbSize=%u -> 0x%08lx",
          f->wFormatTag, f->nChannels, static_cast<unsigned long>(f->nSamplesPerSec),
          static_cast<unsigned long>(f->nAvgBytesPerSec), f->nBlockAlign, f->wBitsPerSample, f->cbSize,
          static_cast<unsigned long>(result));
    }
    return result;
  }

  HRESULT STDMETHODCALLTYPE GetCaps(LPDSBCAPS) override { return Unexpected("Buffer.GetCaps"); }
  HRESULT STDMETHODCALLTYPE GetCurrentPosition(LPDWORD, LPDWORD) override { return Unexpected("Buffer.GetCurrentPosition"); }
  HRESULT STDMETHODCALLTYPE GetFormat(LPWAVEFORMATEX, DWORD, LPDWORD) override { return Unexpected("Buffer.GetFormat"); }
  HRESULT STDMETHODCALLTYPE GetVolume(LPLONG) override { return Unexpected("Buffer.GetVolume"); }
  HRESULT STDMETHODCALLTYPE GetPan(LPLONG) override { return Unexpected("Buffer.GetPan"); }
  HRESULT STDMETHODCALLTYPE GetFrequency(LPDWORD) override { return Unexpected("Buffer.GetFrequency"); }
  HRESULT STDMETHODCALLTYPE GetStatus(LPDWORD) override { return Unexpected("Buffer.GetStatus"); }
  HRESULT STDMETHODCALLTYPE Initialize(LPDIRECTSOUND, LPCDSBUFFERDESC) override { return Unexpected("Buffer.Initialize"); }
  HRESULT STDMETHODCALLTYPE Lock(DWORD, DWORD, LPVOID*, LPDWORD, LPVOID*, LPDWORD, DWORD) override {
    return Unexpected("Buffer.Lock");
  }
  HRESULT STDMETHODCALLTYPE Play(DWORD, DWORD, DWORD) override { return Unexpected("Buffer.Play"); }
  HRESULT STDMETHODCALLTYPE SetCurrentPosition(DWORD) override { return Unexpected("Buffer.SetCurrentPosition"); }
  HRESULT STDMETHODCALLTYPE SetVolume(LONG) override { return Unexpected("Buffer.SetVolume"); }
  HRESULT STDMETHODCALLTYPE SetPan(LONG) override { return Unexpected("Buffer.SetPan"); }
  HRESULT STDMETHODCALLTYPE SetFrequency(DWORD) override { return Unexpected("Buffer.SetFrequency"); }
  HRESULT STDMETHODCALLTYPE Stop() override { return Unexpected("Buffer.Stop"); }
  HRESULT STDMETHODCALLTYPE Unlock(LPVOID, DWORD, LPVOID, DWORD) override { return Unexpected("Buffer.Unlock"); }
  HRESULT STDMETHODCALLTYPE Restore() override { return Unexpected("Buffer.Restore"); }
};

class DirectSound final : public Counted<IDirectSound8> {
 public:
  DirectSound() : Counted("DirectSound") {}

  HRESULT STDMETHODCALLTYPE SetCooperativeLevel(HWND window, DWORD level) override {
    const HRESULT result = Result("cooperative-level", DSERR_INVALIDPARAM);
    Log("SetCooperativeLevel window=%s level=%lu -> 0x%08lx", WindowName(window),
        static_cast<unsigned long>(level), static_cast<unsigned long>(result));
    return result;
  }

  HRESULT STDMETHODCALLTYPE CreateSoundBuffer(LPCDSBUFFERDESC d, LPDIRECTSOUNDBUFFER* buffer,
                                              IUnknown* outer) override {
    const HRESULT result = Result("create-buffer", DSERR_OUTOFMEMORY);
    if (d == nullptr) {
      Log("CreateSoundBuffer null -> 0x%08lx", static_cast<unsigned long>(result));
    } else {
      Log("CreateSoundBuffer dwSize=%lu dwFlags=0x%lx dwBufferBytes=%lu dwReserved=%lu lpwfxFormat=%s "
          "guid3DAlgorithm=%s outer=%s -> 0x%08lx",
          static_cast<unsigned long>(d->dwSize), static_cast<unsigned long>(d->dwFlags),
          static_cast<unsigned long>(d->dwBufferBytes), static_cast<unsigned long>(d->dwReserved),
          d->lpwfxFormat ? "set" : "null", IsNullGuid(d->guid3DAlgorithm) ? "null" : "set",
          outer ? "set" : "null", static_cast<unsigned long>(result));
    }
    if (buffer != nullptr) *buffer = SUCCEEDED(result) ? new PrimaryBuffer : nullptr;
    return result;
  }

  HRESULT STDMETHODCALLTYPE GetCaps(LPDSCAPS) override { return Unexpected("GetCaps"); }
  HRESULT STDMETHODCALLTYPE DuplicateSoundBuffer(LPDIRECTSOUNDBUFFER, LPDIRECTSOUNDBUFFER*) override {
    return Unexpected("DuplicateSoundBuffer");
  }
  HRESULT STDMETHODCALLTYPE Compact() override { return Unexpected("Compact"); }
  HRESULT STDMETHODCALLTYPE GetSpeakerConfig(LPDWORD) override { return Unexpected("GetSpeakerConfig"); }
  HRESULT STDMETHODCALLTYPE SetSpeakerConfig(DWORD) override { return Unexpected("SetSpeakerConfig"); }
  HRESULT STDMETHODCALLTYPE Initialize(LPCGUID) override { return Unexpected("Initialize"); }
  HRESULT STDMETHODCALLTYPE VerifyCertification(LPDWORD) override { return Unexpected("VerifyCertification"); }
};

}  // namespace

extern "C" __declspec(dllexport) HRESULT WINAPI DirectSoundCreate8(LPCGUID device, LPDIRECTSOUND8* out,
                                                                   LPUNKNOWN outer) {
  GetEnvironmentVariableA("FENNWICK_DSOUND_FAULT", fault, sizeof fault);
  shim::OpenLog("FENNWICK_DSOUND_LOG", "dsound-calls.log");

  const HRESULT result = Result("create", DSERR_NODRIVER);
  if (out != nullptr) *out = SUCCEEDED(result) ? new DirectSound : nullptr;
  Log("DirectSoundCreate8 device=%s outer=%s -> 0x%08lx", device ? "set" : "null", outer ? "set" : "null",
      static_cast<unsigned long>(result));
  return result;
}
