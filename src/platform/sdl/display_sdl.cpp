#include "platform/sdl/display_sdl.h"

#include <cstring>

#include "front/messages.h"

namespace {

// Where the window's outer frame goes after leaving full screen. Its inside is the picture's
// size again, so the picture is shown pixel for pixel, not scaled.
constexpr int windowedLeft = 100;
constexpr int windowedTop = 150;

constexpr int framePitch = Display::width * static_cast<int>(sizeof(Pixel));

// Whether a surface's pixels are laid out as the frame's: 32 bits, red, green and blue where the
// frame has them. Its fourth byte is never shown, so the frame's alpha does not matter.
bool FrameLayout(const SDL_PixelFormat* format) {
  return format->BytesPerPixel == 4 && format->Rmask == 0x00FF0000u && format->Gmask == 0x0000FF00u &&
         format->Bmask == 0x000000FFu;
}

// Whether the game can draw straight into a window surface: the frame's size and layout, and rows
// without a gap, as the frame buffer's are.
bool DrawableInPlace(const SDL_Surface* surface) {
  return surface->w == Display::width && surface->h == Display::height && surface->pitch == framePitch &&
         FrameLayout(surface->format);
}

// The part of a window surface the picture fills: all of it that keeps the picture's shape,
// centred; what is left over is bars.
SDL_Rect Fitted(const SDL_Surface* surface) {
  const bool widthBound = static_cast<long long>(surface->w) * Display::height <=
                          static_cast<long long>(surface->h) * Display::width;
  const int w = widthBound ? surface->w : surface->h * Display::width / Display::height;
  const int h = widthBound ? surface->w * Display::height / Display::width : surface->h;
  return SDL_Rect{(surface->w - w) / 2, (surface->h - h) / 2, w, h};
}

// A window surface that changes size (full screen, back, a resize) is freed by SDL when it is
// next asked for. The game may be drawing into the old one: it is told at once, before any more
// drawing, and goes back to its own frame buffer; a new surface also wants its bars again, and
// an uncovered one its bars shown again.
int OnWindowEvent(void* userdata, SDL_Event* event) {
  if (event->type != SDL_WINDOWEVENT) return 1;
  auto& display = *static_cast<Display*>(userdata);
  Display::Platform& p = PlatformOf(display);
  if (event->window.windowID != SDL_GetWindowID(p.window)) return 1;
  switch (event->window.event) {
    case SDL_WINDOWEVENT_SIZE_CHANGED:
      display.frameBuffer = p.ownFrame;
      p.drawnInto = nullptr;
      p.barsOn = nullptr;
      break;
    case SDL_WINDOWEVENT_EXPOSED:
      p.barsOn = nullptr;
      break;
    default:
      break;
  }
  return 1;
}

}  // namespace

Display::Display(WindowHandle window) : platform(std::make_unique<Platform>()) {
  AllocateFrameBuffer();
  Platform& p = *platform;
  p.ownFrame = frameBuffer;
  p.window = static_cast<SDL_Window*>(window);
  if (p.window == nullptr) {
    p.failure = say::CannotDrawIntoWindow("no window");
    return;
  }
  // The window's surface straight to the window system, not through an OpenGL texture: without
  // a graphics card OpenGL is drawn by the processor, at several times the cost. SDL decides
  // when the surface is first asked for; a player's own SDL_FRAMEBUFFER_ACCELERATION still wins.
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  SDL_Surface* surface = SDL_GetWindowSurface(p.window);
  if (surface == nullptr) {
    p.failure = say::CannotDrawIntoWindow(SDL_GetError());
    return;
  }
  p.ready = true;
  SDL_AddEventWatch(OnWindowEvent, this);
  if (DrawableInPlace(surface)) {
    frameBuffer = static_cast<Pixel*>(surface->pixels);
    p.drawnInto = surface;
  }
}

Display::~Display() {
  SDL_DelEventWatch(OnWindowEvent, this);
  if (platform->frame != nullptr) SDL_FreeSurface(platform->frame);
}

void Display::EndFrame() {
  FinishClear();
  Platform& p = *platform;
  if (!p.ready) return;
  if (p.drawnInto != nullptr) {
    // Drawn in place: the surface is the picture. A surface's size only changes with an event,
    // which would have moved the drawing back to the frame buffer.
    SDL_UpdateWindowSurface(p.window);
    return;
  }
  SDL_Surface* surface = SDL_GetWindowSurface(p.window);
  if (surface == nullptr) return;  // a window between sizes; the next frame tries again
  if (DrawableInPlace(surface)) {
    // Back at the picture's size: this frame is copied in, the next ones are drawn there.
    for (int y = 0; y < height; ++y)
      std::memcpy(static_cast<std::uint8_t*>(surface->pixels) + static_cast<std::size_t>(y) * surface->pitch,
                  frameBuffer + static_cast<std::size_t>(y) * width, framePitch);
    SDL_UpdateWindowSurface(p.window);
    frameBuffer = static_cast<Pixel*>(surface->pixels);
    p.drawnInto = surface;
    return;
  }
  // Scaled into the surface. The frame as a surface in the window's own format when the bytes
  // are the same, so SDL stretches without converting; else SDL converts as it goes.
  const Uint32 format = FrameLayout(surface->format) ? surface->format->format : Uint32{SDL_PIXELFORMAT_ARGB8888};
  if (p.frame == nullptr || p.frame->format->format != format) {
    if (p.frame != nullptr) SDL_FreeSurface(p.frame);
    p.frame = SDL_CreateRGBSurfaceWithFormatFrom(p.ownFrame, width, height, 32, framePitch, format);
    if (p.frame == nullptr) return;
    SDL_SetSurfaceBlendMode(p.frame, SDL_BLENDMODE_NONE);
  }
  SDL_Rect place = Fitted(surface);
  if (p.barsOn != surface) {
    SDL_FillRect(surface, nullptr, SDL_MapRGB(surface->format, 0, 0, 0));
    SDL_BlitScaled(p.frame, nullptr, surface, &place);
    SDL_UpdateWindowSurface(p.window);
    p.barsOn = surface;
    return;
  }
  // The bars are on the screen already: only the picture goes.
  SDL_BlitScaled(p.frame, nullptr, surface, &place);
  SDL_UpdateWindowSurfaceRects(p.window, &place, 1);
}

void Display::ToggleDisplayMode(WindowHandle window) {
  auto* sdlWindow = static_cast<SDL_Window*>(window);
  if (sdlWindow == nullptr) return;
  platform->fullScreen = !platform->fullScreen;
  if (platform->fullScreen) {
    SDL_SetWindowFullscreen(sdlWindow, SDL_WINDOW_FULLSCREEN_DESKTOP);
    return;
  }
  SDL_SetWindowFullscreen(sdlWindow, 0);
  SDL_SetWindowResizable(sdlWindow, SDL_TRUE);
  // Each change below waits up to a tenth of a second for the window system to report it,
  // the whole tenth when nothing was to change: only what differs is asked for.
  int clientWidth = 0, clientHeight = 0;
  SDL_GetWindowSize(sdlWindow, &clientWidth, &clientHeight);
  if (clientWidth != width || clientHeight != height) SDL_SetWindowSize(sdlWindow, width, height);
  int top = 0, left = 0, bottom = 0, right = 0;
  if (SDL_GetWindowBordersSize(sdlWindow, &top, &left, &bottom, &right) != 0) top = left = 0;
  // SDL places the inside of the window; the outside goes to (100, 150).
  int x = 0, y = 0;
  SDL_GetWindowPosition(sdlWindow, &x, &y);
  if (x != windowedLeft + left || y != windowedTop + top)
    SDL_SetWindowPosition(sdlWindow, windowedLeft + left, windowedTop + top);
}

bool Display::CanDraw() const { return platform->Ready(); }
std::string Display::DrawFailure() const { return platform->failure; }
