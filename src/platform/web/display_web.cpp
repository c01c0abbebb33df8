// The browser presentation: each frame goes to the page's 800 x 600 canvas as image data, drawn
// in the canvas's own byte order so that it goes as it stands. The page scales the canvas
// crisply (image-rendering: pixelated); full screen is the browser's, asked for the canvas, with
// the picture's aspect kept by the page's style.
#include <emscripten.h>

#include <cstdint>
#include <string>

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

// The picture over the frame's memory is made once, and again only if the wasm memory has grown
// since (its old buffer is then let go, and the picture with it).
EM_JS(void, PutFrame, (const void* rgba, int width, int height), {
  var picture = Module['fennwickPicture'];
  if (!picture || picture.data.buffer !== HEAPU8.buffer || picture.data.byteOffset !== rgba) {
    picture = new ImageData(new Uint8ClampedArray(HEAPU8.buffer, rgba, width * height * 4), width, height);
    Module['fennwickPicture'] = picture;
  }
  Module['fennwickContext'].putImageData(picture, 0, 0);
});

EM_JS(void, ToggleFullScreen, (), {
  if (document.fullscreenElement) {
    document.exitFullscreen().catch(function() {});
  } else if (Module['canvas'] && Module['canvas'].requestFullscreen) {
    // Refused without a recent key press; F11 is one, so the game only ever asks after one.
    Module['canvas'].requestFullscreen().catch(function() {});
  }
});

}  // namespace

// A still picture is put on the canvas again once a second all the same: a browser may drop a
// canvas's pixels (memory pressure, a lost context) and give it back blank.
constexpr int stillFramesPut = 60;

struct Display::Platform {
  bool canvasOpen = false;
  bool putAny = false;
  std::uint64_t signaturePut = 0;  // of the picture the canvas shows
  int stillFrames = 0;             // since the canvas last had a picture put on it
};

Display::Display(WindowHandle) : platform(std::make_unique<Platform>()) {
  platform->canvasOpen = OpenCanvas(width, height) != 0;
  AllocateFrameBuffer();
  UseCanvasOrder();
}

Display::~Display() = default;

void Display::EndFrame() {
  FinishClear();
  if (!platform->canvasOpen) return;
  // The picture the canvas shows already is not put again: putting it costs the page more than
  // the whole frame did (the copy in, then the canvas redrawn and composited), and a player
  // standing still, or a page waiting for its first key, shows the same picture frame after frame.
  const bool changed = !platform->putAny || Signature() != platform->signaturePut;
  if (!changed && ++platform->stillFrames < stillFramesPut) return;
  platform->putAny = true;
  platform->signaturePut = Signature();
  platform->stillFrames = 0;
  PutFrame(frameBuffer, width, height);
}

void Display::ToggleDisplayMode(WindowHandle) { ToggleFullScreen(); }

bool Display::CanDraw() const { return platform->canvasOpen; }

std::string Display::DrawFailure() const {
  return platform->canvasOpen ? std::string() : say::NoCanvas();
}
