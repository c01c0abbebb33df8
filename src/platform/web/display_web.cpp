// The browser presentation: each frame goes to the page's 800 x 600 canvas as image data. The
// page scales the canvas crisply (image-rendering: pixelated); full screen is the browser's,
// asked for the canvas, with the picture's aspect kept by the page's style.
#include <emscripten.h>
#ifdef __wasm_simd128__
#include <wasm_simd128.h>
#endif

#include <string>
#include <vector>

#include "core/graphics/display.h"
#include "front/messages.h"

namespace {

// The canvas's 2D context, taken once; false when the page has no canvas to draw on.
EM_JS(int, OpenCanvas, (int width, int height), {
  var canvas = Module['canvas'];
  if (!canvas || !canvas.getContext) return 0;
  canvas.width = width;
  canvas.height = height;
  Module['fennwickContext'] = canvas.getContext('2d', {alpha: false});
  return Module['fennwickContext'] ? 1 : 0;
});

// The wasm memory may have grown since the last frame, so the view is made afresh each time.
EM_JS(void, PutFrame, (const void* rgba, int width, int height), {
  var bytes = new Uint8ClampedArray(HEAPU8.buffer, rgba, width * height * 4);
  Module['fennwickContext'].putImageData(new ImageData(bytes, width, height), 0, 0);
});

EM_JS(void, ToggleFullScreen, (), {
  if (document.fullscreenElement) {
    document.exitFullscreen().catch(function() {});
  } else if (Module['canvas'] && Module['canvas'].requestFullscreen) {
    // Refused without a recent key press; F11 is one, so the game only ever asks after one.
    Module['canvas'].requestFullscreen().catch(function() {});
  }
});

// The frame's pixels, 0xAARRGGBB, as canvas image data wants them: the bytes R, G, B, A, which
// read as one little-endian word are 0xAABBGGRR. The frame's alpha byte means nothing (the
// clear colour fills it with 0xE0), so every pixel goes out opaque.
//
// The frame converted into OUT, COUNT pixels (a multiple of four); whether any pixel of OUT
// changed. This runs over every pixel of every frame, so with SIMD it goes four pixels to an
// instruction: one byte shuffle swaps red and blue, one OR makes them opaque.
bool ConvertFrame(const Pixel* frame, std::uint32_t* out, std::size_t count) {
#ifdef __wasm_simd128__
  const v128_t opaque = wasm_u32x4_splat(0xFF000000u);
  v128_t changed = wasm_u32x4_splat(0);
  for (std::size_t i = 0; i < count; i += 4) {
    const v128_t bgra = wasm_v128_load(frame + i);
    const v128_t rgba = wasm_v128_or(wasm_i8x16_shuffle(bgra, bgra, 2, 1, 0, 3, 6, 5, 4, 7, 10, 9, 8, 11, 14, 13, 12, 15), opaque);
    changed = wasm_v128_or(changed, wasm_v128_xor(wasm_v128_load(out + i), rgba));
    wasm_v128_store(out + i, rgba);
  }
  return wasm_v128_any_true(changed);
#else
  std::uint32_t changed = 0;
  for (std::size_t i = 0; i < count; ++i) {
    const Pixel p = frame[i];
    const std::uint32_t pixel = (p & 0x0000FF00u) | ((p >> 16) & 0xFFu) | ((p & 0xFFu) << 16) | 0xFF000000u;
    changed |= out[i] ^ pixel;
    out[i] = pixel;
  }
  return changed != 0;
#endif
}

}  // namespace

// A still picture is put on the canvas again once a second all the same: a browser may drop a
// canvas's pixels (memory pressure, a lost context) and give it back blank.
constexpr int stillFramesPut = 60;

struct Display::Platform {
  std::vector<std::uint32_t> canvasPixels = std::vector<std::uint32_t>(Display::pixelCount);
  bool canvasOpen = false;
  int stillFrames = 0;  // since the canvas last had a picture put on it
};

Display::Display(WindowHandle) : platform(std::make_unique<Platform>()) {
  platform->canvasOpen = OpenCanvas(width, height) != 0;
  AllocateFrameBuffer();
}

Display::~Display() = default;

void Display::EndFrame() {
  FinishClear();
  if (!platform->canvasOpen) return;
  std::uint32_t* out = platform->canvasPixels.data();
  static_assert(pixelCount % 4 == 0, "the conversion goes four pixels at a time");
  const bool changed = ConvertFrame(frameBuffer, out, pixelCount);
  // The picture the canvas shows already is not put again: putting it costs the page more than
  // the whole frame did (the copy in, then the canvas redrawn and composited), and a player
  // standing still, or a page waiting for its first key, shows the same picture frame after frame.
  // The first frame always differs: every pixel put is opaque, the pixels before it are not.
  if (!changed && ++platform->stillFrames < stillFramesPut) return;
  platform->stillFrames = 0;
  PutFrame(out, width, height);
}

void Display::ToggleDisplayMode(WindowHandle) { ToggleFullScreen(); }

bool Display::CanDraw() const { return platform->canvasOpen; }

std::string Display::DrawFailure() const {
  return platform->canvasOpen ? std::string() : say::NoCanvas();
}
