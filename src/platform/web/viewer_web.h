// What the page hears of the run after each animation frame: its frame counter, and where the
// run stands on its timeline for the viewer's bar (web/viewer.js), which shows a demo's bar, or
// says that the run is live again after a take-over, or that it rewinds.
#pragma once

#include "core/game/demo_viewer.h"

class PageReport {
 public:
  // A pacer tick: a demo's and a rewind's count one, live play's the frames it ran.
  void Ticked(const DemoViewer& viewer, int frames);
  // Tells the page what changed since it was last told, so a paused demo costs it nothing.
  void Tell(const DemoViewer& viewer);

 private:
  long counted = 0;
  // The times as the title shows them, where the page reads them when it writes its bar: a few
  // times a second, not every frame, so the frames do not pay for text the page drops.
  char at[24] = "";
  char length[24] = "";
  char liveFrom[24] = "";
  // None yet: the first is always told.
  DemoPosition told = [] {
    DemoPosition none;
    none.frame = -1;
    return none;
  }();
};
