#include "platform/sdl/virtual_pad_sdl.h"

#include <cstdlib>
#include <sstream>

// The linker's names for the wrapped call and for SDL's own.
extern "C" int __real_SDL_PollEvent(SDL_Event* event);
extern "C" int __wrap_SDL_PollEvent(SDL_Event* event);

int __wrap_SDL_PollEvent(SDL_Event* event) {
  // Opened at the loop's first poll, when SDL and its controllers are up.
  static VirtualPadScript script(std::getenv("FENNWICK_TEST_PAD"));
  script.Poll();
  return __real_SDL_PollEvent(event);
}

VirtualPadScript::VirtualPadScript(const char* path) {
  if (path == nullptr) return;
  commands = std::fopen(path, "r");
  if (commands == nullptr) std::fprintf(stderr, "fennwick: cannot read the test pad's commands from %s\n", path);
}

VirtualPadScript::~VirtualPadScript() {
  if (commands != nullptr) std::fclose(commands);
}

void VirtualPadScript::Poll() {
  if (commands == nullptr) return;
  char buffer[256];
  while (std::fgets(buffer, sizeof buffer, commands) != nullptr) {
    partial += buffer;
    if (partial.back() != '\n') continue;
    partial.pop_back();
    Run(partial);
    partial.clear();
  }
  // The test writes on: what it adds after this end of file is read at the next poll.
  std::clearerr(commands);
}

void VirtualPadScript::Run(const std::string& line) {
  std::istringstream words(line);
  std::string command, name;
  int value = 0;
  words >> command >> name >> value;
  if (command == "attach" && pad == nullptr) {
    SDL_VirtualJoystickDesc description{};
    description.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    description.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
    description.naxes = SDL_CONTROLLER_AXIS_MAX;
    description.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
    description.name = "Fennwick test pad";
    const int index = SDL_JoystickAttachVirtualEx(&description);
    if (index >= 0) pad = SDL_JoystickOpen(index);
  } else if (command == "detach") {
    Detach();
  } else if (command == "button" && pad != nullptr) {
    SDL_JoystickSetVirtualButton(pad, SDL_GameControllerGetButtonFromString(name.c_str()), static_cast<Uint8>(value));
  } else if (command == "axis" && pad != nullptr) {
    SDL_JoystickSetVirtualAxis(pad, SDL_GameControllerGetAxisFromString(name.c_str()), static_cast<Sint16>(value));
  } else {
    std::fprintf(stderr, "fennwick: test pad: cannot do '%s'\n", line.c_str());
  }
}

void VirtualPadScript::Detach() {
  if (pad == nullptr) return;
  const SDL_JoystickID id = SDL_JoystickInstanceID(pad);
  SDL_JoystickClose(pad);
  pad = nullptr;
  // Device indices shift as joysticks come and go; the instance is what stays.
  for (int index = 0; index < SDL_NumJoysticks(); ++index) {
    if (SDL_JoystickGetDeviceInstanceID(index) == id) {
      SDL_JoystickDetachVirtual(index);
      return;
    }
  }
}
