// Prints the numbers the page shares with the game (src/platform/web/page_numbers.h), the demo
// speeds' names and nothing else, as the page's numbers.js. Built for Node by the web build,
// which runs it whenever the game's tables change.
#include <cstddef>
#include <cstdio>
#include <string>

#include "core/game/demo_viewer.h"
#include "front/messages.h"
#include "platform/web/page_numbers.h"

namespace {

std::string Quoted(const char* text) {
  std::string quoted = "'";
  for (const char* c = text; *c != '\0'; ++c) {
    if (*c == '\'' || *c == '\\') quoted += '\\';
    quoted += *c;
  }
  return quoted + "'";
}

}  // namespace

int main() {
  std::string js = "'use strict';\n// Made by the build from the game's own tables (page_numbers.h): not to be edited.\n";
  js += "window.FennwickNumbers = Object.freeze({\n  view: {";
#define FENNWICK_VIEW_COMMAND_ENTRY(name) \
  js += " " #name ": " + std::to_string(static_cast<int>(ViewCommand::name)) + ",";
  FENNWICK_VIEW_COMMANDS(FENNWICK_VIEW_COMMAND_ENTRY)
#undef FENNWICK_VIEW_COMMAND_ENTRY
  js += " },\n  modes: {";
#define FENNWICK_VIEW_MODE_ENTRY(name) \
  js += " " #name ": " + std::to_string(static_cast<int>(DemoPosition::Mode::name)) + ",";
  FENNWICK_VIEW_MODES(FENNWICK_VIEW_MODE_ENTRY)
#undef FENNWICK_VIEW_MODE_ENTRY
  js += " },\n  held: { left: " + std::to_string(held::left) + ", right: " + std::to_string(held::right) +
        ", jump: " + std::to_string(held::jump) + " },\n  speeds: [";
  for (const PaceRate& rate : DemoViewer::speeds) js += " " + Quoted((say::Speed(rate.frames, rate.ticks) + "\xC3\x97").c_str()) + ",";
  js += " ],\n  settingsKey: " + std::to_string(settingsKey) + ",\n  keyNames: {";
  for (const PageKeyName& key : pageKeyNames) js += " " + std::to_string(key.code) + ": " + Quoted(key.name) + ",";
  js += " },\n  standardKeys: [";
  for (const std::uint8_t code : standardKeys) js += " " + std::to_string(code) + ",";
  js += " ],\n});\n";
  std::fputs(js.c_str(), stdout);
  return std::ferror(stdout) != 0 ? 1 : 0;
}
