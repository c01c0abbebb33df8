// The game in a web page: one GameWorld drawing on the page's canvas, the browser's animation
// frames driving it at 60 frames a second whatever the screen's rate. The page's events reach
// the player's input through input_web.cpp, as the same window messages the desktop sends.
#include <emscripten.h>
#include <emscripten/html5.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "front/frame_pacer.h"
#include "front/game_loop.h"
#include "front/game_start.h"
#include "platform/web/gamepad_web.h"
#include "platform/web/input_web.h"
#include "front/messages.h"
#include "platform/web/platform_web.h"
#include "platform/web/settings_web.h"
#include "platform/web/viewer_web.h"
#include "core/game/demo_viewer.h"

namespace {

// An animation frame at 30 Hz must run two game frames; after a hitch a few more may be due,
// but never so many that one callback stalls the page.
constexpr int mostFramesPerCallback = 4;

// Callbacks come a screen refresh apart, but the moment each one starts wanders by a
// millisecond or more: a frame due within half a period counts as due now, or a 60 Hz screen
// would now and then skip a frame it should have run.
constexpr FramePacer::Clock::duration earlyEnough = FramePacer::period / 2;

// The run just played, as a replay script, for the page to offer when the game ends.
EM_JS(void, HandRunToPage, (const char* text, std::size_t length), {
  Module['recordedRun'] = UTF8ToString(text, length);
});

// The function at STEP, given ARG, in a task of its own once the page has had its turn
// (emscripten_async_call would bring 4 KB of the toolchain's browser library into the page for
// this alone).
EM_JS(void, AfterThisTask, (std::intptr_t step, void* arg), {
  setTimeout(function() { wasmTable.get(step)(arg); }, 0);
});

struct Game {
  GameStart start;
  WebGamepads pads;
  PageInput page;
  FramePacer pacer;
  PageSettings settings;
  PageReport report;
};

bool Finished(Game& game) { return QuitPosted() || game.start.Viewer().Ended(); }

// Escape, or the demo's last frame: the world goes, as it does when the desktop game ends,
// and its last picture stays on the canvas.
// A demo that reaches its last frame has ended as a demo, even when the run it plays ended
// with Escape there.
void End(Game& game) {
  const bool demoEnded = game.start.Viewer().Ended();
  ListenToPage(nullptr);
  OfferSettings(nullptr);
  game.start.End();
  const std::string run = game.start.RecordedRun();
  HandRunToPage(run.data(), run.size());
  TellPage(demoEnded ? "demo-ended" : "ended", "");
}

EM_BOOL OnAnimationFrame(double, void* playing) {
  Game& game = *static_cast<Game*>(playing);
  // --- Input --- The page's events have been delivered as they came, between callbacks.
  // The pads send no events: they are read before each frame below, so that Back's second
  // is sixty frames on a screen of any rate.

  // --- Frames --- Every frame that is due runs now; a tab in the background gets no
  // callbacks at all, so the game waits there, and the pacer starts afresh on return.
  const FramePacer::Clock::time_point now = FramePacer::Clock::now();
  // While the settings are open no frame runs; the time lost is let go, as after any stall.
  for (int ran = 0; !game.settings.paused && ran < mostFramesPerCallback && !Finished(game); ++ran) {
    if (game.pacer.TimeUntilDue(now) > earlyEnough) break;
    const int frames = game.pacer.FrameRuns(now);
    game.pads.Read(game.start.Input());
    RunTick(game.start.Viewer(), game.pacer, frames);
    game.report.Ticked(game.start.Viewer(), frames);
  }
  game.report.Tell(game.start.Viewer());
  if (Finished(game)) {
    End(game);
    return EM_FALSE;
  }
  return EM_TRUE;
}

// The world built, in a task of its own after the pictures' checks: a slow phone's page answers
// a touch between them, where one long task would keep it waiting for all.
void Build(void* starting) {
  Game& game = *static_cast<Game*>(starting);
  if (!game.start.Build(nullptr)) {
    game.start.Report();
    return;
  }
  game.page = PageInput{&game.start.Input(), &game.pads, &game.start.Viewer()};
  game.pads.Watch();
  ListenToPage(&game.page);
  // In a demo too: the viewer's speeds are shares of the player's pace, as on the desktop.
  game.settings = PageSettings{&game.start.Input(), &game.pacer};
  OfferSettings(&game.settings);
  TellPage("running", "");
  emscripten_request_animation_frame_loop(OnAnimationFrame, &game);
}

// A few pictures a task: each decodes in about a millisecond here, four times that on a slow
// phone, where a task much over 50 ms is one the player feels.
constexpr std::size_t picturesPerTask = 4;

void CheckSomePictures(void* starting) {
  Game& game = *static_cast<Game*>(starting);
  const bool checked = game.start.CheckPictures(picturesPerTask);
  AfterThisTask(reinterpret_cast<std::intptr_t>(checked ? &Build : &CheckSomePictures), &game);
}

}  // namespace

int main(int argc, char** argv) {
  // The game outlives main: the page's animation frames run it from here on.
  static Game game;
  // Every session is kept in memory, for the page to offer once the game ends.
  game.start.options.recordInMemory = true;
  if (!game.start.PrepareOptions(std::vector<std::string>(argv + 1, argv + argc))) return game.start.Report();
  // A recording would go into the page's memory and be lost with it.
  if (!game.start.options.record.empty()) {
    game.start.FailOption(say::NoRecordingInBrowser());
    return game.start.Report();
  }
  AfterThisTask(reinterpret_cast<std::intptr_t>(&CheckSomePictures), &game);
  return 0;
}
