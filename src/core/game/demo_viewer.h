// A demo watched like a video: paused, stepped a frame at a time either way, sought to any
// frame, played faster or slower. The game is exact, so going back is computing again: the
// world's state is kept every `snapshotEvery` frames as the demo is opened, and any frame is
// reached by putting the nearest earlier state back and computing the frames after it without
// drawing. Frame F always shows the picture an uninterrupted replay shows after its F-th frame.
//
// Frames are counted as the frame driver counts them: frame F is the picture after the F-th
// frame has run, 1 to Length(). Frame 0, before the first frame, shows nothing and is never a
// place to stop.
//
// Until it is first touched the viewer only runs the driver, as a demo always played: shown
// frames, the script's own Escape quitting and the demo ending with its script. Any command
// touches it: from then on every frame it reaches is computed and drawn by the viewer, never
// quits or switches the display mode, and at the end the demo stays on its last frame.
//
// Every platform drives it the same way: its commands from the player's input (keys, pads, the
// page's bar), Tick once per pacer tick with the frames the pacer's rate made due, Rate() for
// the pacer, State() for what the window's title or the page shows.
#pragma once

#include <array>
#include <cstddef>
#include <vector>

#include "core/game/pace_rate.h"
#include "core/game/world_state.h"

class FrameDriver;
class GameWorld;

// Where a demo stands, for a title or the page to show.
struct DemoPosition {
  long frame = 0;       // the picture shown: 0 before the first frame has run
  long lastFrame = 0;   // the demo's length in frames
  int speed = 0;        // index into DemoViewer::speeds
  bool paused = false;
  // What the run holds at this frame.
  bool holdsLeft = false;
  bool holdsRight = false;
  bool holdsJump = false;
};

class DemoViewer {
 public:
  // A state every two seconds: one hour is 1,800 of them (about 1.3 MB), and no frame is more
  // than 119 computed frames away from one, well under a millisecond.
  static constexpr long snapshotEvery = 120;
  // The skip forward and back: five seconds.
  static constexpr long skipFrames = 300;
  // The speeds offered, slowest first, as pacer rates: 1/4, 1/2, 1, 2, 4, 8.
  static constexpr std::array<PaceRate, 6> speeds = {{{1, 4}, {1, 2}, {1, 1}, {2, 1}, {4, 1}, {8, 1}}};
  static constexpr int normalSpeed = 2;
  // A step held this many ticks (a quarter of a second) repeats, so that a tap is one frame
  // even when the finger rests on the key a moment; it then catches up and walks a frame a
  // tick, a second held being sixty frames.
  static constexpr int stepRepeatTicks = 15;

  // The driver has the script to play and has run no frame yet. Computes the whole demo once,
  // keeping its states, and leaves the world and the driver where they were.
  DemoViewer(FrameDriver& driver, GameWorld& world);

  // --- Commands (each one touches the viewer) ---
  // Pauses, or plays on; playing from the last frame starts again from the first.
  void PlayPause();
  // One frame forward (+1) or back (-1), pausing first. Held past stepRepeatTicks, a frame a tick.
  void StepPressed(int direction);
  void StepReleased(int direction);
  // Forward or back by `frames`, playing or paused as before.
  void Skip(long frames);
  void Faster();
  void Slower();
  void SetSpeed(int speed);
  // Frame 1 to Length(), clamped; playing or paused as before.
  void Seek(long frame);
  // 0 to 9: that many tenths into the run (0 is the first frame).
  void SeekTenth(int tenths);
  void SeekFirst() { Seek(1); }
  void SeekLast() { Seek(Length()); }

  // --- Driving ---
  // Once a tick, with the frames the pacer made due at Rate().
  void Tick(int frames);
  PaceRate Rate() const { return speeds[static_cast<std::size_t>(speed)]; }
  // The demo is over and the program may end: only a demo nobody touched ends by itself.
  bool Ended() const;
  bool Touched() const { return touched; }

  long Length() const { return length; }
  DemoPosition State() const;

 private:
  void Touch();
  // Puts the world at the frame and draws it.
  void Show(long frame);

  FrameDriver& driver;
  GameWorld& world;
  // The last frame: the script's end, or the frame its Escape quit on, if that comes first.
  long length = 0;
  std::vector<WorldState> snapshots;  // at frames 0, snapshotEvery, 2 * snapshotEvery ...
  bool touched = false;
  bool paused = false;
  int speed = normalSpeed;
  // A held step: its direction, the frame it was pressed on, and the ticks it has been held.
  int stepHeld = 0;
  long stepFrom = 0;
  int stepTicks = 0;
};
