// What window messages do to the keyboard and the mouse; which presses a lost focus makes stale.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <utility>

#include "front/focus_clock.h"
#include "platform/web/page_pointer.h"
#include "front/player_input.h"
#include "test_support.h"

namespace {

class InputTest : public WindowMessageTest {
 protected:
  static void MoveTo(int x, int y, std::uintptr_t buttons = 0) {
    Send(wm::mouseMove, buttons, wm::PackPoint(x, y));
  }
  static std::pair<int, int> MouseAt() { return {processMouse.x, processMouse.y}; }
  static std::vector<KeyEvent> Drain() {
    std::vector<KeyEvent> events;
    while (!processKeyboard.EventQueueEmpty()) events.push_back(processKeyboard.PopEvent());
    return events;
  }
};

TEST_F(InputTest, KeyQueueKeepsTheNewestFourWhileKeyStatesSeeEveryMessage) {
  const std::uint8_t codes[] = {65, 66, 67, 68, 69};
  for (std::uint8_t code : codes) Send(wm::keyDown, code);
  const auto events = Drain();
  ASSERT_EQ(events.size(), 4u);
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(events[i].code, codes[i + 1]);
    EXPECT_EQ(events[i].type, KeyEventType::Pressed);
  }
  for (std::uint8_t code : codes) EXPECT_TRUE(processKeyboard.IsKeyDown(code));
}

TEST_F(InputTest, AutoRepeatAddsAPressPerRepeatAndOneRelease) {
  Send(wm::keyDown, vk::right);
  Send(wm::keyDown, vk::right);
  Send(wm::keyDown, vk::right);
  Send(wm::keyUp, vk::right);
  const auto events = Drain();
  ASSERT_EQ(events.size(), 4u);
  EXPECT_EQ(events[2].type, KeyEventType::Pressed);
  EXPECT_EQ(events[3].type, KeyEventType::Released);
  EXPECT_FALSE(processKeyboard.IsKeyDown(vk::right));
}

TEST_F(InputTest, PopOnEmptyQueueGivesNoEventAndChangesNothing) {
  const KeyEvent event = processKeyboard.PopEvent();
  EXPECT_EQ(event.type, KeyEventType::NoEvent);
  EXPECT_EQ(event.code, 0);
  EXPECT_TRUE(processKeyboard.EventQueueEmpty());
  Send(wm::keyDown, vk::space);
  EXPECT_EQ(processKeyboard.PopEvent().code, vk::space);
  EXPECT_EQ(processKeyboard.PopEvent().type, KeyEventType::NoEvent);
}

TEST_F(InputTest, CodesAboveByteRangeAreCutToTheirLowEightBits) {
  Send(wm::keyDown, 0x100 + vk::left);
  EXPECT_TRUE(processKeyboard.IsKeyDown(vk::left));
  EXPECT_EQ(processKeyboard.PopEvent().code, vk::left);
  Send(wm::keyUp, 0x1234500 + vk::left);
  EXPECT_FALSE(processKeyboard.IsKeyDown(vk::left));
  Send(wm::character, 0x141);  // cut to 'A'
  EXPECT_EQ(processKeyboard.PopCharacter(), 0x41);
}

TEST_F(InputTest, TypedCharactersKeepTheNewestFourAndNeverReachTheKeyQueue) {
  for (char c : std::string("abcdef")) Send(wm::character, static_cast<unsigned char>(c));
  EXPECT_TRUE(processKeyboard.EventQueueEmpty());
  ASSERT_EQ(processKeyboard.PendingCharacters(), 4u);
  EXPECT_EQ(processKeyboard.PopCharacter(), 'c');
}

TEST_F(InputTest, SystemKeysAndUnknownMessagesAreIgnored) {
  Send(0x0104, vk::f11);  // WM_SYSKEYDOWN: Alt combinations and F10
  Send(0x0203, 0);        // WM_LBUTTONDBLCLK
  EXPECT_FALSE(processKeyboard.IsKeyDown(vk::f11));
  EXPECT_TRUE(processKeyboard.EventQueueEmpty());
  EXPECT_FALSE(processMouse.leftDown);
}

TEST_F(InputTest, PointerIsUnknownUntilItFirstEntersAndEnteringTakesTheCaptureOnce) {
  EXPECT_EQ(MouseAt(), std::pair(-1, -1));
  MoveTo(1, 1);
  MoveTo(799, 599);
  EXPECT_EQ(MouseAt(), std::pair(799, 599));
  EXPECT_TRUE(processMouse.inside);
  EXPECT_EQ(headlessPlatform.captures, 1);
}

TEST_F(InputTest, TheTopAndLeftEdgeCountAsOutside) {
  for (auto [x, y] : {std::pair{0, 300}, std::pair{400, 0}, std::pair{800, 300}, std::pair{400, 600}}) {
    SetUp();
    MoveTo(400, 300);
    Send(wm::leftButtonDown, 0);
    Send(wm::rightButtonDown, 0);
    MoveTo(x, y);
    EXPECT_FALSE(processMouse.inside) << x << "," << y;
    EXPECT_FALSE(processMouse.leftDown);
    EXPECT_FALSE(processMouse.rightDown);
    EXPECT_EQ(headlessPlatform.releases, 1);
    // The last inside position is kept.
    EXPECT_EQ(MouseAt(), std::pair(400, 300));
  }
}

TEST_F(InputTest, DraggingOutsideClampsThePositionAndKeepsTheCapture) {
  MoveTo(10, 10);
  Send(wm::leftButtonDown, wm::leftButtonFlag);
  MoveTo(-5, 700, wm::leftButtonFlag);
  EXPECT_EQ(MouseAt(), std::pair(0, 599));
  EXPECT_TRUE(processMouse.inside);
  EXPECT_TRUE(processMouse.leftDown);
  EXPECT_EQ(headlessPlatform.releases, 0);
  MoveTo(5000, -3, wm::rightButtonFlag);
  EXPECT_EQ(MouseAt(), std::pair(799, 0));
}

TEST_F(InputTest, LeavingWithoutAButtonReleasesEvenWithoutACapture) {
  MoveTo(-1, -1);
  EXPECT_EQ(headlessPlatform.releases, 1);
  EXPECT_EQ(processMouse.x, -1);
  EXPECT_FALSE(processMouse.inside);
}

TEST_F(InputTest, ButtonsFollowTheirMessages) {
  Send(wm::leftButtonDown, 0);
  Send(wm::rightButtonDown, 0);
  EXPECT_TRUE(processMouse.leftDown && processMouse.rightDown);
  Send(wm::leftButtonUp, 0);
  Send(wm::rightButtonUp, 0);
  EXPECT_FALSE(processMouse.leftDown || processMouse.rightDown);
}

TEST_F(InputTest, DestroyingTheWindowPostsTheQuit) {
  Send(wm::destroy, 0);
  EXPECT_TRUE(headlessPlatform.quitPosted);
}

TEST_F(InputTest, LosingTheFocusLetsGoOfEveryHeldKeyThroughTheQueue) {
  HandlerTarget handler;
  PlayerInput input(handler);
  input.Message(wm::keyDown, vk::right, 0);
  input.Message(wm::keyDown, vk::space, 0);
  input.Message(wm::keyUp, vk::space, 0);
  Drain();
  input.Message(wm::killFocus, 0, 0);
  EXPECT_FALSE(processKeyboard.IsKeyDown(vk::right));
  const std::vector<KeyEvent> events = Drain();
  // Only the key still held goes up: the player state must see the release, and no other.
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].type, KeyEventType::Released);
  EXPECT_EQ(events[0].code, vk::right);
  // Getting the focus back presses nothing.
  input.Message(wm::setFocus, 0, 0);
  EXPECT_TRUE(processKeyboard.EventQueueEmpty());
}

// The message clock is 32 bits of milliseconds; 2^31 is 24.9 days, 2^32 is 49.7 days.
constexpr std::uint32_t halfClock = 0x80000000u;

TEST(FocusClock, APressFromBeforeTheLossIsStaleOnEitherSideOfTheClocksWrap) {
  const std::uint32_t losses[] = {1000, halfClock - 20, 0xFFFFFFF0u};  // the last returns past 2^32
  for (const std::uint32_t lost : losses) {
    FocusClock clock;
    EXPECT_FALSE(clock.StalePress(true, lost - 5)) << "nothing was lost yet";
    clock.Lost(lost);
    EXPECT_TRUE(clock.StalePress(false, lost + 10)) << "away, every press is someone else's";
    clock.Returned(lost + 40);
    EXPECT_TRUE(clock.StalePress(true, lost - 1)) << lost;
    EXPECT_TRUE(clock.StalePress(true, lost - 3000)) << lost;
    EXPECT_FALSE(clock.StalePress(true, lost)) << lost;
    EXPECT_FALSE(clock.StalePress(true, lost + 20)) << "between the loss and the return";
    EXPECT_FALSE(clock.StalePress(true, lost + 41)) << lost;
  }
}

TEST(FocusClock, AMonthWithTheFocusNeverMakesAPressStale) {
  FocusClock clock;
  const std::uint32_t lost = 0xFFFFFF00u;
  clock.Lost(lost);
  clock.Returned(lost + 100);
  clock.QueueEmptied(true, lost + 116);
  EXPECT_TRUE(clock.StalePress(true, lost - 1)) << "just back, a late press from before is still caught";
  // Frames go on; ten seconds later the loss is long forgotten.
  clock.QueueEmptied(true, lost + 10000);
  const std::uint32_t later[] = {lost + halfClock - 1, lost + halfClock, lost + halfClock + 1, lost - 1,
                                 lost + 31u * 24 * 3600 * 1000};
  for (const std::uint32_t at : later) EXPECT_FALSE(clock.StalePress(true, at)) << at;
  EXPECT_TRUE(clock.StalePress(false, lost + halfClock)) << "without the focus, still not the game's";
}

TEST(FocusClock, APressAfterALongAbsenceIsNewAndAReturnWithoutAWordCounts) {
  FocusClock away;
  away.Lost(0);
  const std::uint32_t back = 30u * 24 * 3600 * 1000;  // a month away: more than 2^31 ms
  away.Returned(back);
  EXPECT_FALSE(away.StalePress(true, back + 5));
  EXPECT_FALSE(away.StalePress(true, back));

  FocusClock silent;
  silent.Lost(halfClock + 100);
  silent.QueueEmptied(false, halfClock + 200);  // still away: nothing forgotten
  EXPECT_TRUE(silent.StalePress(true, halfClock + 99));
  silent.QueueEmptied(true, halfClock + 300);  // a frame with the focus back, though no message said so
  EXPECT_TRUE(silent.StalePress(true, halfClock + 99));
  EXPECT_FALSE(silent.StalePress(true, halfClock + 300));
}

// The page's pointer, through the handler: where the Mouse ends up for a canvas shown at
// another size than the picture's.
class PagePointerTest : public InputTest {
 protected:
  static bool Pointer(int button, int buttons, double x, double y, double width = 400.0, double height = 300.0) {
    PageMouseMessage message{};
    if (!PagePointerMessage(button, buttons, x, y, width, height, message)) return false;
    Send(message.message, message.wParam, message.lParam);
    return true;
  }
};

TEST_F(PagePointerTest, PositionsAreInThePicturesPixelsWhateverTheCanvasSize) {
  ASSERT_TRUE(Pointer(-1, 0, 100.25, 75.9));  // half size
  EXPECT_EQ(MouseAt(), std::pair(200, 151));
  EXPECT_TRUE(processMouse.inside);
  // Full screen on a wide screen: the picture 1440 x 1080 in the middle of 1920 x 1080.
  ASSERT_TRUE(Pointer(-1, 0, 240.0 + 1439.0, 540.0, 1920.0, 1080.0));
  EXPECT_EQ(MouseAt(), std::pair(799, 300));
  // In the band beside the picture the pointer has left it.
  ASSERT_TRUE(Pointer(-1, 0, 200.0, 540.0, 1920.0, 1080.0));
  EXPECT_FALSE(processMouse.inside);
}

TEST_F(PagePointerTest, ButtonsPressAndReleaseAndADragFarOffStaysAtTheEdge) {
  ASSERT_TRUE(Pointer(-1, 0, 10.0, 10.0));
  ASSERT_TRUE(Pointer(0, 1, 10.0, 10.0));
  EXPECT_TRUE(processMouse.leftDown);
  ASSERT_TRUE(Pointer(2, 3, 10.0, 10.0));  // the second button joins while the first is held
  EXPECT_TRUE(processMouse.rightDown);
  // Far beyond what 16 bits hold: it must not wrap round onto the picture.
  ASSERT_TRUE(Pointer(-1, 3, 20000.0, -20000.0));
  EXPECT_EQ(MouseAt(), std::pair(799, 0));
  EXPECT_TRUE(processMouse.inside);
  ASSERT_TRUE(Pointer(0, 2, 10.0, 10.0));
  ASSERT_TRUE(Pointer(2, 0, 10.0, 10.0));
  EXPECT_FALSE(processMouse.leftDown || processMouse.rightDown);
}

TEST_F(PagePointerTest, WhatHasNoMessageSendsNothing) {
  EXPECT_FALSE(Pointer(1, 4, 10.0, 10.0));  // the middle button
  EXPECT_FALSE(Pointer(-1, 0, 10.0, 10.0, 0.0, 0.0));  // a canvas not laid out yet
  EXPECT_FALSE(Pointer(-1, 0, 10.0, 10.0, std::numeric_limits<double>::infinity(), 300.0));
  EXPECT_FALSE(Pointer(-1, 0, std::numeric_limits<double>::quiet_NaN(), 10.0));
  EXPECT_EQ(processMouse.x, -1);
  EXPECT_FALSE(processMouse.inside);
}

}  // namespace
