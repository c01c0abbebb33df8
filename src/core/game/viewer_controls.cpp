#include "core/game/viewer_controls.h"

#include "core/game/demo_viewer.h"
#include "core/input/window_messages.h"
#include "core/platform.h"

namespace {
// The viewer's keys that the game has no name for.
constexpr std::uint8_t vkEnd = 0x23;
constexpr std::uint8_t vkHome = 0x24;
constexpr std::uint8_t vkComma = 0xBC;
constexpr std::uint8_t vkPeriod = 0xBE;
constexpr std::uint8_t vkLeftBracket = 0xDB;
constexpr std::uint8_t vkRightBracket = 0xDD;
constexpr std::uint8_t vkNumpad0 = 0x60;
}  // namespace

bool ViewerControls::GameHears() const { return viewer.CurrentMode() == DemoViewer::Mode::live; }

bool ViewerControls::GameHolds(std::uint8_t code) const { return viewer.GameHolds(code); }

Steered ViewerControls::Key(std::uint8_t code, bool down) {
  const DemoViewer::Mode mode = viewer.CurrentMode();
  if (mode == DemoViewer::Mode::live) {
    if (code != vk::backspace) return {};
    if (down) viewer.RewindPressed();
    return {true, false};
  }
  if (mode == DemoViewer::Mode::rewinding) {
    const bool letsGo = (code == vk::backspace && !down) || (down && (code == vk::escape || code == vk::f11));
    if (letsGo) return {code == vk::backspace, viewer.RewindReleased()};
    return {true, false};
  }
  if (code == vk::escape) {
    if (down) PostQuit();
  } else if (code == vkPeriod || code == vkComma) {
    const int direction = code == vkPeriod ? 1 : -1;
    if (down) viewer.StepPressed(direction);
    else viewer.StepReleased(direction);
  } else if (!down) {
  } else if (code == vk::enter) {
    return TakeOver();
  } else if (code == 'K' || code == vk::space) {
    viewer.PlayPause();
  } else if (code == vk::right || code == 'L') {
    viewer.Skip(DemoViewer::skipFrames);
  } else if (code == vk::left || code == 'J') {
    viewer.Skip(-DemoViewer::skipFrames);
  } else if (code == vkRightBracket || code == vk::up) {
    viewer.Faster();
  } else if (code == vkLeftBracket || code == vk::down) {
    viewer.Slower();
  } else if (code == vkHome) {
    viewer.SeekFirst();
  } else if (code == vkEnd) {
    viewer.SeekLast();
  } else if (code >= '0' && code <= '9') {
    viewer.SeekTenth(code - '0');
  } else if (code >= vkNumpad0 && code <= vkNumpad0 + 9) {
    viewer.SeekTenth(code - vkNumpad0);
  }
  return {true, false};
}

Steered ViewerControls::Pads(const PadState* pads, std::size_t count) {
  std::array<bool, buttonCount> now{};
  for (std::size_t i = 0; i < count; ++i) {
    const PadState& pad = pads[i];
    now[playPause] = now[playPause] || pad.south;
    now[stepForward] = now[stepForward] || pad.rightShoulder;
    // In live play LB, held, rewinds: a step back that does not stop.
    now[stepBack] = now[stepBack] || pad.leftShoulder;
    now[skipForward] = now[skipForward] || pad.dpadRight;
    now[skipBack] = now[skipBack] || pad.dpadLeft;
    now[faster] = now[faster] || pad.north;
    now[slower] = now[slower] || pad.west;
    now[takeOver] = now[takeOver] || pad.east;
  }
  Steered steered;
  for (std::size_t button = 0; button < buttonCount; ++button) {
    if (now[button] == held[button]) continue;
    held[button] = now[button];
    steered.wentLive = Button(button, now[button]).wentLive || steered.wentLive;
  }
  return steered;
}

Steered ViewerControls::Button(std::size_t button, bool down) {
  if (viewer.CurrentMode() != DemoViewer::Mode::watching) {
    if (button != stepBack) return {};
    if (down) viewer.RewindPressed();
    return {true, !down && viewer.RewindReleased()};
  }
  if (button == stepForward || button == stepBack) {
    const int direction = button == stepForward ? 1 : -1;
    if (down) viewer.StepPressed(direction);
    else viewer.StepReleased(direction);
    return {true, false};
  }
  if (!down) return {true, false};
  if (button == playPause) viewer.PlayPause();
  if (button == skipForward) viewer.Skip(DemoViewer::skipFrames);
  if (button == skipBack) viewer.Skip(-DemoViewer::skipFrames);
  if (button == faster) viewer.Faster();
  if (button == slower) viewer.Slower();
  if (button == takeOver) return TakeOver();
  return {true, false};
}

Steered ViewerControls::TakeOver() { return {true, viewer.TakeOver()}; }

Steered ViewerControls::LetGo() {
  viewer.StepReleased(1);
  viewer.StepReleased(-1);
  held.fill(false);
  return {true, viewer.RewindReleased()};
}
