#include "platform/web/settings_web.h"

#include <emscripten.h>

#include <cstdint>
#include <string>

#include "front/frame_pacer.h"
#include "front/game_options.h"
#include "front/key_map.h"
#include "front/player_input.h"

namespace {

// Why the game refused the page's last choice, for the panel to show.
EM_JS(void, TellRefusal, (const char* text), { Module['settingRefused'] = UTF8ToString(text); });

// The desktop's words begin with the option they judge, which the page does not have.
std::string ForThePage(const std::string& error) {
  const std::string option = "--keys: ";
  return error.compare(0, option.size(), option) == 0 ? error.substr(option.size()) : error;
}

// A key code from the page, or 0 (no key) for anything a key code cannot be.
std::uint8_t KeyCode(int code) { return code > 0 && code < 256 ? static_cast<std::uint8_t>(code) : 0; }

}  // namespace

void OfferSettings(PageSettings* settings) {
  EM_ASM({
    Module['gameSettings'] = $0;
    if ($0 && Module['onGameSettings']) Module['onGameSettings']();
  }, settings);
}

// The share of the game's own pace, from 100 down to 50 in steps of ten, as --pace takes it:
// every frame stays what it is, fewer of them come a second; a demo's speeds are shares of it.
// 0 for any other share.
extern "C" EMSCRIPTEN_KEEPALIVE int fennwick_pace(PageSettings* settings, int percent) {
  if (!ParsePace(std::to_string(percent), percent)) return 0;
  if (settings != nullptr && settings->pacer != nullptr) settings->pacer->SetPace(percent);
  return 1;
}

// The keys the player chose for Left, Right and Jump, by their codes: 1 when the game takes them
// (into a running game, if one is handed), else 0 with the reason in Module.settingRefused.
extern "C" EMSCRIPTEN_KEEPALIVE int fennwick_keys(PageSettings* settings, int left, int right, int jump) {
  KeyMap keys;
  std::string error;
  if (!KeyMap::FromCodes(KeyCode(left), KeyCode(right), KeyCode(jump), keys, error)) {
    TellRefusal(ForThePage(error).c_str());
    return 0;
  }
  if (settings != nullptr) settings->input->UseKeys(keys);
  return 1;
}

// The pad's face button that jumps, numbered as the browser's standard layout numbers them:
// 0 A (south), 1 B (east), 2 X (west), 3 Y (north).
extern "C" EMSCRIPTEN_KEEPALIVE int fennwick_pad_jump(PageSettings* settings, int button) {
  constexpr FaceButton buttons[] = {FaceButton::south, FaceButton::east, FaceButton::west, FaceButton::north};
  if (button < 0 || button > 3) return 0;
  if (settings != nullptr) settings->input->UseJumpButton(buttons[button]);
  return 1;
}

// While the panel is open the game's frames wait; the pacer starts afresh once they go on.
extern "C" EMSCRIPTEN_KEEPALIVE void fennwick_pause(PageSettings* settings, int paused) {
  if (settings != nullptr) settings->paused = paused != 0;
}
