#include "platform/web/viewer_web.h"

#include <emscripten.h>

#include "front/messages.h"
#include "platform/web/page_numbers.h"

namespace {

// The page's frame counter: in a game the frames run, fewer a second at a slower pace; in a demo
// the pacer's ticks, which go on while the demo is paused or goes back.
EM_JS(void, TellFramesRun, (long frames), { Module['framesRun'] = frames; });

// Where the run stands, for the viewer's bar: the frame and the run's length, with where their
// times as the title shows them lie in memory (Module.gameText reads one), the keys held as
// bits, and the mode with where the time live play began at lies (page_numbers.h).
EM_JS(void, TellViewer, (long frame, long lastFrame, const char* at, const char* length, int speed, int paused, int holds,
                         int mode, const char* liveFrom), {
  if (!Module['onViewer']) return;
  Module['gameText'] = Module['gameText'] || function(text) { return UTF8ToString(text); };
  Module['onViewer'](frame, lastFrame, at, length, speed, paused !== 0, holds, mode, liveFrom);
});

bool Same(const DemoPosition& a, const DemoPosition& b) {
  // Live play moves every frame; the page shows only that it is live, and since when.
  if (a.mode == DemoPosition::Mode::live) return b.mode == a.mode && a.liveFrom == b.liveFrom;
  return a.mode == b.mode && a.frame == b.frame && a.lastFrame == b.lastFrame && a.speed == b.speed &&
         a.paused == b.paused && a.holdsLeft == b.holdsLeft && a.holdsRight == b.holdsRight && a.holdsJump == b.holdsJump;
}

}  // namespace

void PageReport::Ticked(const DemoViewer& viewer, int frames) {
  counted += viewer.CurrentMode() == DemoViewer::Mode::live ? frames : 1;
}

void PageReport::Tell(const DemoViewer& viewer) {
  TellFramesRun(counted);
  const DemoPosition now = viewer.State();
  if (Same(now, told)) return;
  told = now;
  say::PlayTime(now.frame, at, sizeof at);
  say::PlayTime(now.lastFrame, length, sizeof length);
  say::PlayTime(now.liveFrom < 0 ? 0 : now.liveFrom, liveFrom, sizeof liveFrom);
  TellViewer(now.frame, now.lastFrame, at, length, now.speed, now.paused ? 1 : 0,
             (now.holdsLeft ? held::left : 0) | (now.holdsRight ? held::right : 0) | (now.holdsJump ? held::jump : 0),
             static_cast<int>(now.mode), now.liveFrom < 0 ? "" : liveFrom);
}
