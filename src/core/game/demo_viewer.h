// The viewer moves along the game's one timeline (timeline.h): a demo watched like a video
// (paused, stepped a frame at a time either way, sought to any frame, played faster or
// slower), live play, and live play rewound. The game is exact, so going back is computing
// again: any frame is reached by putting the nearest earlier kept state back and computing the
// frames after it without drawing. Frame F always shows the picture an uninterrupted replay
// shows after its F-th frame.
//
// Frames are counted as the frame driver counts them: frame F is the picture after the F-th
// frame has run, 1 to Length(). Frame 0, before the first frame, shows nothing and is never a
// place to stop.
//
// A demo is computed as it plays: a slice of its later frames each tick, so that opening one
// of any length costs nothing and seeks soon find their states kept. Until it is first touched
// the viewer only runs the driver, as a demo always played: shown frames, the script's own
// Escape quitting and the demo ending with its script. Any command touches it: from then on
// every frame it reaches is computed and drawn by the viewer, never quits or switches the
// display mode, and at the end the demo stays on its last frame.
//
// Taking over a demo, or letting go of a rewind, plays on live from the frame shown: the
// timeline is cut there and live play writes at its end again.
//
// Every platform drives it the same way: its commands from the player's input through the
// viewer's controls (viewer_controls.h) and the page's bar, Tick once per pacer tick with the
// frames the pacer's rate made due, Rate() for the pacer, State() for the title or the page.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "core/game/pace_rate.h"
#include "core/game/world_state.h"

class FrameDriver;
class GameWorld;

// Where the run stands, for a title or the page to show.
struct DemoPosition {
  enum class Mode { watching, live, rewinding };
  Mode mode = Mode::watching;
  // Live play that came from a demo taken over or a rewind: the frame it went live at (-1: none).
  long liveFrom = -1;
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
  // A demo's later frames computed each tick until all are known: about half a millisecond's
  // work natively (a frame without its picture is a tenth of a microsecond), so an hour is
  // known within the first second of watching, a day within fifteen.
  static constexpr long aheadPerTick = 6000;
  // The skip forward and back: five seconds.
  static constexpr long skipFrames = 300;
  // The speeds offered, slowest first, as pacer rates: 1/4, 1/2, 1, 2, 4, 8.
  static constexpr std::array<PaceRate, 6> speeds = {{{1, 4}, {1, 2}, {1, 1}, {2, 1}, {4, 1}, {8, 1}}};
  static constexpr int normalSpeed = 2;
  // A step held this many ticks (a quarter of a second) repeats, so that a tap is one frame
  // even when the finger rests on the key a moment; it then catches up and walks a frame a
  // tick, a second held being sixty frames.
  static constexpr int stepRepeatTicks = 15;

  // The driver has run no frame yet; a demo when it has a script to play, else live play.
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

  // Live from the frame shown: false outside a demo.
  bool TakeOver();
  // Live play goes backwards while held, a frame for each frame due, down to the first frame.
  void RewindPressed();
  // Plays on live from the frame shown; false when no rewind was held.
  bool RewindReleased();

  // --- Driving ---
  // Once a tick, with the frames the pacer made due at Rate().
  void Tick(int frames);
  // Computes up to that many of a demo's later frames, and leaves the world as it was.
  void ComputeAhead(long frames);
  PaceRate Rate() const { return mode == Mode::watching ? speeds[static_cast<std::size_t>(speed)] : PaceRate{1, 1}; }
  // The demo is over and the program may end: only a demo nobody touched ends by itself.
  bool Ended() const;
  bool Touched() const { return touched; }

  // A demo's last frame; in live play the last frame played.
  long Length() const;
  DemoPosition State() const;
  using Mode = DemoPosition::Mode;
  Mode CurrentMode() const { return mode; }
  // Whether the game's keyboard holds the key now.
  bool GameHolds(std::uint8_t code) const;

 private:
  void Touch();
  // Puts the world at the frame and draws it.
  void Show(long frame);
  // Puts the world at the frame, from the nearest of the frame shown, a kept state and the
  // farthest state computed, without drawing.
  void Reach(long frame);

  FrameDriver& driver;
  GameWorld& world;
  Mode mode = Mode::live;
  // A demo's last frame: the script's end, or the frame its Escape quit on, if that comes first.
  long length = 0;
  long liveFrom = -1;
  // The farthest state a slice computed, and its frame: the next slice goes on from there.
  WorldState frontier;
  long frontierAt = 0;
  bool touched = false;
  bool paused = false;
  int speed = normalSpeed;
  // A held step: its direction, the frame it was pressed on, and the ticks it has been held.
  int stepHeld = 0;
  long stepFrom = 0;
  int stepTicks = 0;
};
