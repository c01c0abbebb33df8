// What the page's scripts and the game must agree on, written here once. The web build runs
// tools/page_numbers under Node and puts what it prints, window.FennwickNumbers, in the page
// (numbers.js) before the scripts that read it: the viewer's bar, the settings panel.
#pragma once

#include <cstdint>

#include "core/input/window_messages.h"

// What the viewer's bar asks of a demo, through fennwick_view(command, argument); the page
// knows them by these names.
#define FENNWICK_VIEW_COMMANDS(X) X(playPause) X(stepPressed) X(stepReleased) X(seek) X(speed) X(takeOver)

enum class ViewCommand {
#define FENNWICK_VIEW_COMMAND_ENUM(name) name,
  FENNWICK_VIEW_COMMANDS(FENNWICK_VIEW_COMMAND_ENUM)
#undef FENNWICK_VIEW_COMMAND_ENUM
};

// Where the viewer stands on the run's timeline, as onViewer tells the page: a demo watched, live
// play, live play rewinding.
#define FENNWICK_VIEW_MODES(X) X(watching) X(live) X(rewinding)

// The keys a demo's run holds at the frame shown, as bits of one number.
namespace held {
constexpr int left = 1;
constexpr int right = 2;
constexpr int jump = 4;
}  // namespace held

// The key that opens the settings panel: the game and a demo's viewer have no use for it.
constexpr std::uint8_t settingsKey = 'S';

// The keys the page names with a sign rather than the browser's own name, and the game's
// standard keys among them, in the order Left, Right, Jump.
struct PageKeyName {
  std::uint8_t code;
  const char* name;
};
constexpr PageKeyName pageKeyNames[] = {
    {vk::space, "Space"}, {vk::left, "\xE2\x86\x90"}, {vk::up, "\xE2\x86\x91"}, {vk::right, "\xE2\x86\x92"},
    {vk::down, "\xE2\x86\x93"}};
constexpr std::uint8_t standardKeys[] = {vk::left, vk::right, vk::space};
