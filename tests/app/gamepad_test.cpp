// The player's input: how pads become key messages and share keys with the keyboard, and what a
// lost focus and a stale press do.
#include <gtest/gtest.h>

#include <bitset>
#include <string>
#include <utility>
#include <vector>

#include "front/player_input.h"
#include "test_support.h"

namespace {

class GamepadTest : public ::testing::Test {
 protected:
  // What reached the game, one "down 39" / "up 32" / other message number per line.
  struct Game : WindowMessageTarget {
    std::vector<std::string> sent;
    void Deliver(std::uint32_t message, std::uintptr_t wParam, std::intptr_t) override {
      if (message == wm::keyDown) sent.push_back("down " + std::to_string(wParam));
      else if (message == wm::keyUp) sent.push_back("up " + std::to_string(wParam));
      else sent.push_back("message " + std::to_string(message));
    }
  } game;
  PlayerInput pads{game};

  void Read(const PadState& pad) { pads.PadsRead(&pad, 1); }
  void ReadNone() { pads.PadsRead(nullptr, 0); }
  void Key(std::uint32_t message, std::uint8_t code) { pads.Message(message, code, 0); }
  std::vector<std::string> Take() { return std::exchange(game.sent, {}); }
  using Lines = std::vector<std::string>;

  // A pad holding only the D-pad's right arrow, and one holding only Back.
  GamepadTest() {
    right.dpadRight = true;
    back.back = true;
  }
  PadState right, back;
};

PadState Stick(float x) {
  PadState pad;
  pad.stickX = x;
  return pad;
}

TEST_F(GamepadTest, TheStickCountsFromHalfWayAndSwingsReleaseBeforePressing) {
  Read(Stick(0.49f));
  Read(Stick(-0.49f));
  EXPECT_EQ(Take(), Lines{});
  Read(Stick(0.5f));
  EXPECT_EQ(Take(), Lines{"down 39"});
  Read(Stick(-1.0f));
  EXPECT_EQ(Take(), (Lines{"up 39", "down 37"}));
  Read(Stick(-0.3f));
  EXPECT_EQ(Take(), Lines{"up 37"});
  // Raw axes: both ends reach full travel, and half of 32767 is past the dead zone.
  EXPECT_EQ(StickFromAxis(-32768), -1.0f);
  EXPECT_EQ(StickFromAxis(32767), 1.0f);
  EXPECT_GE(StickFromAxis(16384), PlayerInput::deadZone);
}

TEST_F(GamepadTest, AHeldDirectionOrButtonIsOnePressNotOnePerFrame) {
  PadState pad = Stick(1.0f);
  pad.south = true;
  for (int frame = 0; frame < 100; ++frame) Read(pad);
  EXPECT_EQ(Take(), (Lines{"down 39", "down 32"}));
  // The D-pad holding the same arrow as the stick adds nothing either.
  pad.dpadRight = true;
  Read(pad);
  pad.stickX = 0.0f;
  Read(pad);
  EXPECT_EQ(Take(), Lines{});
  pad.dpadRight = false;
  pad.south = false;
  Read(pad);
  EXPECT_EQ(Take(), (Lines{"up 39", "up 32"}));
}

TEST_F(GamepadTest, AKeyBothSourcesHoldIsReleasedOnlyWhenBothLetGo) {
  // Keyboard first: the pad's press adds nothing; the keyboard's release waits for the pad.
  Key(wm::keyDown, vk::right);
  Read(right);
  Key(wm::keyDown, vk::right);  // auto-repeat still reaches the game
  Key(wm::keyUp, vk::right);
  EXPECT_EQ(Take(), (Lines{"down 39", "down 39"}));
  ReadNone();
  EXPECT_EQ(Take(), Lines{"up 39"});

  // Pad first: the keyboard's press passes, the pad's release waits for the keyboard.
  Read(right);
  Key(wm::keyDown, vk::right);
  ReadNone();
  EXPECT_EQ(Take(), (Lines{"down 39", "down 39"}));
  Key(wm::keyUp, vk::right);
  EXPECT_EQ(Take(), Lines{"up 39"});
}

TEST_F(GamepadTest, APadUnpluggedWhileHoldingReleasesWhatOnlyItHeld) {
  PadState first = Stick(1.0f);
  first.south = true;
  const PadState both[] = {first, right};
  pads.PadsRead(both, 2);
  EXPECT_EQ(Take(), (Lines{"down 39", "down 32"}));
  // The first pad goes; the second still holds the right arrow.
  Read(right);
  EXPECT_EQ(Take(), Lines{"up 32"});
  ReadNone();
  EXPECT_EQ(Take(), Lines{"up 39"});
}

TEST_F(GamepadTest, BackQuitsOnlyAfterASecondHeld) {
  for (int bump = 0; bump < 3; ++bump) {
    for (int frame = 1; frame < PlayerInput::backHoldFrames; ++frame) Read(back);
    ReadNone();
  }
  EXPECT_EQ(Take(), Lines{});
  for (int frame = 0; frame < 3 * PlayerInput::backHoldFrames; ++frame) Read(back);
  EXPECT_EQ(Take(), Lines{"down 27"});
  ReadNone();
  EXPECT_EQ(Take(), Lines{"up 27"});
}

TEST_F(GamepadTest, EverythingElsePassesUntouched) {
  Key(wm::keyUp, vk::left);  // a release nobody saw pressed goes through as it always did
  Key(wm::keyDown, vk::f11);
  Key(wm::keyUp, vk::f11);
  pads.Message(wm::character, ' ', 0);
  pads.Message(wm::mouseMove, 0, wm::PackPoint(3, 4));
  EXPECT_EQ(Take(), (Lines{"up 37", "down 122", "up 122", "message 258", "message 512"}));
}

TEST_F(GamepadTest, WithoutTheFocusNeitherPadsNorPressesAreListenedTo) {
  // The right arrow's release goes to another window after the focus has gone: it goes up now.
  Key(wm::keyDown, vk::right);
  Key(wm::keyDown, vk::space);
  pads.Message(wm::killFocus, 0, 0);
  Read(right);
  Key(wm::keyDown, vk::left);
  pads.Message(wm::character, 'a', 0);
  EXPECT_EQ(Take(), (Lines{"down 39", "down 32", "up 32", "up 39", "message 8"}));
  // Back, then with the focus again the pad is heard, the keyboard no longer holding the key.
  pads.Message(wm::setFocus, 0, 0);
  Read(right);
  ReadNone();
  EXPECT_EQ(Take(), (Lines{"message 7", "down 39", "up 39"}));
}

TEST_F(GamepadTest, WhatAPadHoldsWhenTheFocusReturnsIsPressedAfresh) {
  PadState run = Stick(1.0f);
  Read(run);
  pads.Message(wm::killFocus, 0, 0);
  Read(run);
  pads.Message(wm::setFocus, 0, 0);
  Read(run);
  Read(run);
  EXPECT_EQ(Take(), (Lines{"down 39", "up 39", "message 8", "message 7", "down 39"}));
  Read(Stick(0.0f));
  EXPECT_EQ(Take(), Lines{"up 39"});

  // Back counts its second again from the return, not from before the focus left.
  for (int frame = 1; frame < PlayerInput::backHoldFrames; ++frame) Read(back);
  pads.Message(wm::killFocus, 0, 0);
  pads.Message(wm::setFocus, 0, 0);
  for (int frame = 1; frame < PlayerInput::backHoldFrames; ++frame) Read(back);
  EXPECT_EQ(Take(), (Lines{"message 8", "message 7"}));
  Read(back);
  EXPECT_EQ(Take(), Lines{"down 27"});
}

// Windows stamps its messages: a press sent before the focus was lost is not the game's, even
// read after the focus came back; the system's own key states release what went astray.
TEST_F(GamepadTest, StalePressesStayOutAndTheSystemsKeyStatesReleaseWhatWentAstray) {
  const auto stamped = [this](std::uint32_t message, std::uint8_t code, bool focus, std::uint32_t sent, std::uint32_t now) {
    const MessageStamp stamp{focus, sent, now};
    pads.Message(message, code, 0, &stamp);
  };
  stamped(wm::killFocus, 0, false, 1000, 1000);
  stamped(wm::setFocus, 0, true, 1200, 1200);
  stamped(wm::keyDown, vk::right, true, 990, 1210);   // queued before the loss
  stamped(wm::keyDown, vk::left, true, 1205, 1210);   // pressed since
  EXPECT_EQ(Take(), (Lines{"message 8", "message 7", "down 37"}));

  // What the system has down, as the test says.
  static std::bitset<256> down;
  const auto system = [](std::uint8_t code) { return down.test(code); };
  down.reset();
  down.set(vk::left);
  Read(right);
  Key(wm::keyDown, vk::right);
  pads.SystemKeys(system, MessageStamp{true, 0, 1300});  // the right arrow's release went nowhere
  EXPECT_EQ(Take(), (Lines{"down 39", "down 39"}));       // but the pad still holds it
  ReadNone();
  EXPECT_EQ(Take(), Lines{"up 39"});
  down.reset();
  pads.SystemKeys(system, MessageStamp{true, 0, 1400});
  EXPECT_EQ(Take(), Lines{"up 37"});

  // The focus that comes back without a word comes back all the same.
  pads.Message(wm::killFocus, 0, 0);
  pads.SystemKeys(system, MessageStamp{true, 0, 1500});
  Key(wm::keyDown, vk::space);
  EXPECT_EQ(Take(), (Lines{"message 8", "down 32"}));
}

// Keys of the player's choosing: the game hears its own keys, and only from where they were put.
TEST_F(GamepadTest, ChosenKeysPlayTheGamesKeysAndTheMovedOnesGoQuiet) {
  KeyMap keys;
  std::string error;
  ASSERT_TRUE(KeyMap::Parse("A,d,W", keys, error)) << error;
  pads.UseKeys(keys);
  Key(wm::keyDown, 'D');
  Key(wm::keyDown, vk::right);  // moved to D: heard nowhere
  Key(wm::keyDown, 'W');
  Key(wm::keyDown, 'X');        // no part of the game: passes as it is
  Key(wm::keyUp, 'W');
  EXPECT_EQ(Take(), (Lines{"down 39", "down 32", "down 88", "up 32"}));
  // A lost focus lets go of the game's keys, not of the ones pressed.
  Key(wm::keyDown, 'A');
  Read(right);
  pads.Message(wm::killFocus, 0, 0);
  EXPECT_EQ(Take(), (Lines{"down 37", "up 37", "up 39", "up 88", "message 8"}));

  // Swapped, each key speaks for the other.
  ASSERT_TRUE(KeyMap::Parse("right,left,space", keys, error)) << error;
  EXPECT_EQ(keys.GameKey(vk::right), vk::left);
  EXPECT_EQ(keys.GameKey(vk::left), vk::right);
  ASSERT_TRUE(KeyMap::Parse("num4,F12,period", keys, error)) << error;
  EXPECT_EQ(keys.GameKey(0x64), vk::left);
  EXPECT_EQ(keys.GameKey(0x7B), vk::right);
  EXPECT_EQ(keys.GameKey(0xBE), vk::space);
  EXPECT_EQ(keys.GameKey(vk::space), 0);

  struct Refused { const char* keys; const char* says; };
  for (Refused r : {Refused{"a,a,w", "a is named for both left and right"},
                    Refused{"a,d,jump", "'jump' is no key name the game knows (for jump)"},
                    Refused{"escape,d,w", "escape cannot be the key for left"},
                    Refused{"a,d,F11", "f11 cannot be the key for jump"},
                    Refused{"a,d", "needs three key names"},
                    Refused{"a,d,w,s", "needs three key names"},
                    Refused{"a,,w", "'' is no key name"},
                    Refused{"f13,d,w", "'f13' is no key name"}}) {
    KeyMap untouched;
    EXPECT_FALSE(KeyMap::Parse(r.keys, untouched, error)) << r.keys;
    EXPECT_NE(error.find(r.says), std::string::npos) << r.keys << ": " << error;
    EXPECT_EQ(untouched.GameKey(vk::left), vk::left) << r.keys;
  }
}

// The pad's jump on another face button: that one presses space, the others nothing.
TEST_F(GamepadTest, TheChosenFaceButtonJumpsAndTheOthersPlayNoPart) {
  pads.UseJumpButton(FaceButton::east);
  PadState pad;
  pad.south = pad.west = pad.north = true;
  Read(pad);
  EXPECT_EQ(Take(), Lines{});
  pad.east = true;
  Read(pad);
  pad.east = false;
  Read(pad);
  EXPECT_EQ(Take(), (Lines{"down 32", "up 32"}));
  // Changed back while the button is held, its release still reaches the game.
  pad.north = false;
  pads.UseJumpButton(FaceButton::north);
  pad.north = true;
  Read(pad);
  pads.UseJumpButton(FaceButton::south);
  pad.south = pad.north = false;
  Read(pad);
  EXPECT_EQ(Take(), (Lines{"down 32", "up 32"}));
}

// The whole path: pad and keyboard through the merge into the window-message handler.
using GamepadThroughHandler = WindowMessageTest;

TEST_F(GamepadThroughHandler, TheGameSeesTheArrowDownUntilBothSourcesLetGo) {
  HandlerTarget handler;
  PlayerInput pads(handler);
  PadState left = Stick(-0.8f);
  pads.PadsRead(&left, 1);
  pads.Message(wm::keyDown, vk::left, 0);
  pads.Message(wm::keyUp, vk::left, 0);
  EXPECT_TRUE(processKeyboard.IsKeyDown(vk::left));
  pads.PadsRead(nullptr, 0);
  EXPECT_FALSE(processKeyboard.IsKeyDown(vk::left));
  std::vector<KeyEventType> events;
  while (!processKeyboard.EventQueueEmpty()) events.push_back(processKeyboard.PopEvent().type);
  EXPECT_EQ(events, (std::vector<KeyEventType>{KeyEventType::Pressed, KeyEventType::Pressed, KeyEventType::Released}));
}

}  // namespace
