// The one way a frame is driven: the messages that arrived since the last frame are handed to
// the window-message handler, then the world runs its frame. The live game, the replay tool,
// the soak and the tests all go through it, so a recording made by one replays in another.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <utility>

#include "core/input/window_messages.h"
#include "core/game/game_world.h"
#include "core/game/replay_script.h"
#include "core/game/timeline.h"
#include "core/types.h"

// The first checkpoint a played script failed: the state after `frame` hashed to `replayed`
// where the recording says `recorded`.
struct CheckMismatch {
  long frame = 0;
  std::uint32_t recorded = 0;
  std::uint32_t replayed = 0;
};

class FrameDriver final : public WindowMessageTarget {
 public:
  FrameDriver(GameWorld& world, WindowHandle window);

  // From now on the run is written to out as a replay script as it is played, flushed after
  // each frame so that a crash loses nothing already played, with a checkpoint every
  // checkInterval frames and at the end (timeline.h).
  void Record(ScriptSink& out) { timeline.Record(out); }
  static constexpr long checkInterval = Timeline::checkInterval;
  // The script's messages drive the game from now on; live keys are ignored, except Escape.
  void Play(ReplayScript script);
  // The game is the player's from the frame shown: the played script's keys after it are
  // dropped, the recording holds the script's up to it, and live keys reach the game again.
  void TakeOver();

  // A message from the player's input, for the next frame: recorded, then handled.
  void Deliver(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) override;
  // The timeline's messages for the next frame, then the frame itself.
  void RunFrame(FrameOutput output = FrameOutput::shown);

  long FramesRun() const { return framesRun; }
  // Puts the driver at a frame of the timeline, for a world put back to that frame's state:
  // the next frame run is frame + 1, with the timeline's messages for it. Frames run again are
  // not recorded again.
  void Resume(long frame);
  Timeline& Line() { return timeline; }
  const Timeline& Line() const { return timeline; }
  // Whether a script plays (a demo not taken over), and its last frame.
  bool Playing() const { return playing; }
  long ScriptLastFrame() const { return scriptLastFrame; }
  // How many frames run met their checkpoint in the played script (each checkpoint once, when
  // the frames run in order), and the first one missed (frame 0 while none is). A frame reached
  // again (a demo stepped back) is compared again, but only the first miss is kept and told.
  long ChecksMatched() const { return checksMatched; }
  const CheckMismatch& Mismatch() const { return mismatch; }
  // Called once, at the first checkpoint missed.
  void WhenRunDiffers(std::function<void(const CheckMismatch&)> tell) { runDiffers = std::move(tell); }
  // A played script has run its last frame.
  bool ScriptEnded() const { return playing && framesRun >= scriptLastFrame; }
  // Ends the recording with the frame shown.
  void Close();

 private:
  void Compare(long frame);

  GameWorld& world;
  WindowHandle window;
  Timeline timeline;
  std::size_t nextEvent = 0;
  bool playing = false;
  long scriptLastFrame = 0;
  long framesRun = 0;
  long checksMatched = 0;
  CheckMismatch mismatch;
  std::function<void(const CheckMismatch&)> runDiffers;
};
