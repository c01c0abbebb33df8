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

  // From now on every key and character message delivered is written to out as a replay
  // script line, flushed after each frame so that a crash loses nothing already played. Every
  // checkInterval frames, and at the end, a checkpoint line holds the state's hash.
  void Record(ScriptSink& out);
  static constexpr long checkInterval = 60;
  // The script's messages drive the game from now on; live keys are ignored, except Escape.
  void Play(ReplayScript script);

  // A message from the player's input, for the next frame: recorded, then handled.
  void Deliver(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) override;
  // The played script's messages for the next frame, then the frame itself.
  void RunFrame(FrameOutput output = FrameOutput::shown);

  long FramesRun() const { return framesRun; }
  // Puts the driver at a frame of the played script, for a world put back to that frame's
  // state: the next frame run is frame + 1, with the script's messages for it. Frames run
  // again are not recorded again.
  void Resume(long frame);
  const ReplayScript& Script() const { return script; }
  // How many frames run met their checkpoint in the played script (each checkpoint once, when
  // the frames run in order), and the first one missed (frame 0 while none is). A frame reached
  // again (a demo stepped back) is compared again, but only the first miss is kept and told.
  long ChecksMatched() const { return checksMatched; }
  const CheckMismatch& Mismatch() const { return mismatch; }
  // Called once, at the first checkpoint missed.
  void WhenRunDiffers(std::function<void(const CheckMismatch&)> tell) { runDiffers = std::move(tell); }
  // A played script has run its last frame.
  bool ScriptEnded() const { return playing && framesRun >= script.lastFrame; }
  // Ends the recording with the frame the game ended on.
  void Close();

 private:
  void Record(std::uint32_t message, std::uintptr_t wParam);
  void Compare(long frame);

  GameWorld& world;
  WindowHandle window;
  ScriptSink* recording = nullptr;
  long lastRecordedFrame = 0;
  bool closed = false;
  ReplayScript script;
  std::size_t nextEvent = 0;
  bool playing = false;
  long framesRun = 0;
  // The farthest frame ever run: a recording holds each frame's messages once.
  long farthestFrame = 0;
  long lastCheckedFrame = 0;
  long checksMatched = 0;
  CheckMismatch mismatch;
  std::function<void(const CheckMismatch&)> runDiffers;
};
