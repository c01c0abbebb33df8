#include "platform/sdl/gamepad_sdl.h"

#include <algorithm>

namespace {

SDL_JoystickID InstanceOf(SDL_GameController* controller) {
  return SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(controller));
}

bool Pressed(SDL_GameController* controller, SDL_GameControllerButton button) {
  return SDL_GameControllerGetButton(controller, button) != 0;
}

}  // namespace

SdlGamepads::~SdlGamepads() {
  for (SDL_GameController* controller : controllers) SDL_GameControllerClose(controller);
}

void SdlGamepads::Event(const SDL_Event& event) {
  if (event.type == SDL_CONTROLLERDEVICEADDED) {
    // SDL announces the controllers present at start as arrivals; one may come twice.
    const SDL_JoystickID id = SDL_JoystickGetDeviceInstanceID(event.cdevice.which);
    const bool known = std::any_of(controllers.begin(), controllers.end(),
                                   [id](SDL_GameController* c) { return InstanceOf(c) == id; });
    if (known) return;
    if (SDL_GameController* controller = SDL_GameControllerOpen(event.cdevice.which)) {
      controllers.push_back(controller);
      states.resize(controllers.size());
    }
  } else if (event.type == SDL_CONTROLLERDEVICEREMOVED) {
    const auto gone = std::find_if(controllers.begin(), controllers.end(),
                                   [&event](SDL_GameController* c) { return InstanceOf(c) == event.cdevice.which; });
    if (gone == controllers.end()) return;
    SDL_GameControllerClose(*gone);
    controllers.erase(gone);
    states.resize(controllers.size());
  }
}

void SdlGamepads::Read(PlayerInput& input) {
  for (std::size_t i = 0; i < controllers.size(); ++i) {
    SDL_GameController* controller = controllers[i];
    PadState& pad = states[i];
    pad.dpadLeft = Pressed(controller, SDL_CONTROLLER_BUTTON_DPAD_LEFT);
    pad.dpadRight = Pressed(controller, SDL_CONTROLLER_BUTTON_DPAD_RIGHT);
    pad.stickX = StickFromAxis(SDL_GameControllerGetAxis(controller, SDL_CONTROLLER_AXIS_LEFTX));
    pad.south = Pressed(controller, SDL_CONTROLLER_BUTTON_A);
    pad.back = Pressed(controller, SDL_CONTROLLER_BUTTON_BACK);
    pad.east = Pressed(controller, SDL_CONTROLLER_BUTTON_B);
    pad.north = Pressed(controller, SDL_CONTROLLER_BUTTON_Y);
    pad.west = Pressed(controller, SDL_CONTROLLER_BUTTON_X);
    pad.leftShoulder = Pressed(controller, SDL_CONTROLLER_BUTTON_LEFTSHOULDER);
    pad.rightShoulder = Pressed(controller, SDL_CONTROLLER_BUTTON_RIGHTSHOULDER);
  }
  input.PadsRead(states.data(), states.size());
}
