#include "graphics/display_sdl.h"

#include <cstring>

namespace {

// Where the window's outer frame goes after leaving full screen. Its inside is the picture's
// size again, so the picture is shown pixel for pixel, not scaled.
constexpr int windowedLeft = 100;
constexpr int windowedTop = 150;

// Whether the "accelerated" renderer is OpenGL drawn by the processor (Mesa's llvmpipe and
// kin, on machines and virtual displays without a graphics card). Going through it costs about
// five times the processor time of handing SDL the finished picture directly.
bool RasterisedInSoftware(SDL_Renderer* renderer) {
  SDL_RendererInfo info;
  if (SDL_GetRendererInfo(renderer, &info) != 0 || std::strncmp(info.name, "opengl", 6) != 0) return false;
  using GetString = const unsigned char* (*)(unsigned int);
  constexpr unsigned int glRenderer = 0x1F01;  // GL_RENDERER
  const auto getString = reinterpret_cast<GetString>(SDL_GL_GetProcAddress("glGetString"));
  const unsigned char* name = getString != nullptr ? getString(glRenderer) : nullptr;
  if (name == nullptr) return false;
  const char* text = reinterpret_cast<const char*>(name);
  return std::strstr(text, "llvmpipe") != nullptr || std::strstr(text, "softpipe") != nullptr ||
         std::strstr(text, "swrast") != nullptr;
}

SDL_Renderer* CreateRenderer(SDL_Window* window) {
  SDL_Renderer* renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_ACCELERATED | SDL_RENDERER_PRESENTVSYNC);
  if (renderer != nullptr && RasterisedInSoftware(renderer)) {
    SDL_DestroyRenderer(renderer);
    // The window's own surface, put on the screen by the window system without OpenGL.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE);
  }
  if (renderer == nullptr) renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_PRESENTVSYNC);
  if (renderer == nullptr) renderer = SDL_CreateRenderer(window, -1, 0);
  return renderer;
}

}  // namespace

Display::Display(WindowHandle window) : platform(std::make_unique<Platform>()) {
  platform->window = static_cast<SDL_Window*>(window);
  if (platform->window != nullptr) {
    platform->renderer = CreateRenderer(platform->window);
    if (platform->renderer != nullptr) {
      // Full screen and a resized window show the whole picture, scaled, with bars.
      SDL_RenderSetLogicalSize(platform->renderer, width, height);
      platform->texture = SDL_CreateTexture(platform->renderer, SDL_PIXELFORMAT_ARGB8888,
                                            SDL_TEXTUREACCESS_STREAMING, width, height);
      // The alpha byte must not matter, as it does not on a back buffer.
      if (platform->texture != nullptr) SDL_SetTextureBlendMode(platform->texture, SDL_BLENDMODE_NONE);
    }
    if (!platform->Ready()) platform->failure = std::string("cannot draw into the window: ") + SDL_GetError();
  } else {
    platform->failure = "cannot draw into the window: no window";
  }
  AllocateFrameBuffer();
}

Display::~Display() {
  if (platform->texture != nullptr) {
    SDL_DestroyTexture(platform->texture);
    platform->texture = nullptr;
  }
  if (platform->renderer != nullptr) {
    SDL_DestroyRenderer(platform->renderer);
    platform->renderer = nullptr;
  }
}

void Display::EndFrame() {
  if (platform->Ready()) {
    void* bits = nullptr;
    int pitch = 0;
    if (SDL_LockTexture(platform->texture, nullptr, &bits, &pitch) == 0) {
      // Row by row: the texture's rows may be wider than the picture's.
      for (int y = 0; y < height; ++y)
        std::memcpy(static_cast<std::uint8_t*>(bits) + static_cast<std::size_t>(y) * pitch,
                    frameBuffer + static_cast<std::size_t>(y) * width, width * sizeof(Pixel));
      SDL_UnlockTexture(platform->texture);
    }
    SDL_RenderClear(platform->renderer);
    SDL_RenderCopy(platform->renderer, platform->texture, nullptr, nullptr);
    SDL_RenderPresent(platform->renderer);
  }
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
