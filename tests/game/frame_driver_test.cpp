// Recording and playing back: what the driver records replays to the same game, focus-loss
// releases included; a played script is not disturbed by live keys; the command line.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "front/game_options.h"
#include "front/game_start.h"
#include "core/input/keyboard.h"
#include "front/messages.h"
#include "platform/headless/platform_headless.h"
#include "front/player_input.h"
#include "core/input/window_messages.h"
#include "core/game/frame_driver.h"
#include "core/game/game_world.h"
#include "core/game/replay_script.h"
#include "front/script_reader.h"
#include "core/game/script_sink.h"
#include "core/game/world_state.h"
#include "test_support.h"

namespace {

class FrameDriverTest : public FreshWorldTest {
 protected:
  void SetUp() override { Fresh(); }
  void Fresh() {
    driver.reset();
    FreshWorldTest::SetUp();
    driver = std::make_unique<FrameDriver>(*world, nullptr);
  }
  void Frames(int count, std::vector<Motion>* trace = nullptr) {
    for (int i = 0; i < count; ++i) {
      driver->RunFrame();
      if (trace) trace->push_back(MotionOf(*world));
    }
  }
  ReplayScript Parse(const std::string& text) {
    ReplayScript script;
    std::string error;
    EXPECT_TRUE(ParseReplayScript(text, script, error)) << error << "\n" << text;
    return script;
  }

  std::unique_ptr<FrameDriver> driver;
};

TEST_F(FrameDriverTest, ARecordingReplaysToTheSameGameFrameByFrame) {
  StringSink recording;
  driver->Record(recording);
  PlayerInput input(*driver);
  std::vector<Motion> live;
  Frames(3, &live);
  input.Message(wm::keyDown, vk::right, 0);
  Frames(20, &live);
  input.Message(wm::keyDown, vk::space, 0);
  input.Message(wm::character, ' ', 0);
  input.Message(wm::mouseMove, 0, wm::PackPoint(10, 10));  // not part of a script
  Frames(12, &live);
  input.Message(wm::keyUp, vk::space, 0);
  // The player switches windows while holding the arrow: the release is recorded as such.
  input.Message(wm::killFocus, 0, 0);
  Frames(120, &live);
  driver->Close();
  const std::string text = recording.text;
  EXPECT_NE(text.find("24 down 32\n24 char 32\n"), std::string::npos) << text;
  EXPECT_NE(text.find("36 up 32\n36 up 39\n"), std::string::npos) << text;
  EXPECT_EQ(text.substr(text.size() - 8), "155 end\n");
  EXPECT_LT(world->player.data.velocity.x, 0.01f) << "the figure still runs after the focus was lost";
  const Pixel* livePicture = world->display.frameBuffer;
  std::vector<Pixel> lastPicture(livePicture, livePicture + Display::pixelCount);

  ReplayScript script = Parse(text);
  EXPECT_EQ(script.lastFrame, 155);
  Fresh();
  driver->Play(std::move(script));
  std::vector<Motion> replayed;
  while (!driver->ScriptEnded()) Frames(1, &replayed);
  EXPECT_EQ(replayed, live);
  EXPECT_EQ(std::memcmp(world->display.frameBuffer, lastPicture.data(), Display::pixelCount * sizeof(Pixel)), 0);
}

// Checkpoints every second of play and at the end: the run replays to all of them, and a copy
// with one key moved by a frame parts at the next, told once however long it plays on.
TEST_F(FrameDriverTest, ARecordingProvesItselfAndACopyThatPartsSaysWhereOnce) {
  StringSink recording;
  driver->Record(recording);
  Frames(30);
  driver->Deliver(wm::keyDown, vk::right, 0);
  Frames(75);
  driver->Deliver(wm::keyDown, vk::space, 0);
  Frames(45);
  driver->Close();
  const std::string text = recording.text;
  ReplayScript script = Parse(text);
  ASSERT_EQ(script.checks.size(), 3u) << text;
  EXPECT_EQ(script.checks[0].frame, 60);
  EXPECT_EQ(script.checks[1].frame, 120);
  EXPECT_EQ(script.checks[2].frame, 150);
  EXPECT_EQ(text.substr(text.size() - 8), "150 end\n");

  std::vector<CheckMismatch> told;
  const auto replay = [&](const std::string& played) {
    Fresh();
    told.clear();
    driver->WhenRunDiffers([&](const CheckMismatch& at) { told.push_back(at); });
    driver->Play(Parse(played));
    while (!driver->ScriptEnded()) driver->RunFrame(FrameOutput::computedOnly);
  };
  replay(text);
  EXPECT_EQ(driver->ChecksMatched(), 3);
  EXPECT_TRUE(told.empty());

  std::string moved = text;
  moved.replace(moved.find("106 down 32"), 11, "107 down 32");
  replay(moved);
  ASSERT_EQ(told.size(), 1u);
  EXPECT_EQ(told[0].frame, 120);
  EXPECT_EQ(driver->Mismatch().frame, 120);
  EXPECT_EQ(told[0].recorded, script.checks[1].hash);
  EXPECT_NE(told[0].replayed, told[0].recorded);
}

TEST_F(FrameDriverTest, ADemoIgnoresTheKeyboardButEscapeAndTheFocus) {
  driver->Play(Parse("1 down 39\n30 end\n"));
  Frames(5);
  PlayerInput input(*driver);
  input.Message(wm::keyDown, vk::left, 0);
  input.Message(wm::keyUp, vk::right, 0);
  input.Message(wm::killFocus, 0, 0);
  Frames(5);
  EXPECT_GT(world->player.data.velocity.x, 0.0f);
  EXPECT_FALSE(driver->ScriptEnded());
  driver->Deliver(wm::keyDown, vk::escape, 0);
  Frames(1);
  EXPECT_TRUE(headlessPlatform.quitPosted);
}

TEST_F(FrameDriverTest, TheEndLineNeverComesBeforeWhatWasRecorded) {
  StringSink recording;
  driver->Record(recording);
  Frames(4);
  // A key arrives, then the window closes before the next frame runs.
  driver->Deliver(wm::keyDown, vk::left, 0);
  driver->Deliver(wm::destroy, 0, 0);
  driver->Close();
  driver->Close();
  EXPECT_EQ(recording.text, "5 down 37\n5 end\n");
  Parse(recording.text);
}

TEST(ReplayScriptText, LinesAndWordsAreReadAsWritten) {
  struct Case {
    const char* text;
    std::size_t events;
    long lastFrame;
    const char* error;  // empty when the script is sound
  };
  const Case cases[] = {
      {"", 0, 0, ""},
      {"\n\n# only a note\n", 0, 0, ""},
      // A last line without its newline, and lines ended the Windows way.
      {"2 down 39\r\n5 up 39", 2, 5, ""},
      // Tabs and runs of blanks part words; a note may follow a line.
      {"\t3   char\t\v65 # a\n7\fend\n", 1, 7, ""},
      {"1 down 39\n\n4 down 39 extra\n", 0, 0, "line 3: unexpected 'extra'"},
      {"1 down\n", 0, 0, "line 1: bad key or character code ''"},
      {"1\n", 0, 0, "line 1: missing event word"},
      {"1 end now\n", 0, 0, "line 1: 'end' takes no argument"},
      {"1 up 65536\n", 0, 0, "line 1: bad key or character code '65536'"},
      {"5184000 end\n", 0, 5184000, ""},
      {"100000000 end\n", 0, 0, "line 1: frame 100000000 is past 24 hours (5,184,000 frames), longer than any run the game plays"},
      {"99999999999999999999 end\n", 0, 0, "line 1: bad frame number '99999999999999999999'"},
      // A run gone back to frame 3 keeps what it held up to it, and reads on after it.
      {"2 down 39\n4 down 37\n60 check 0123ABCD\n3 back\n3 check 0123ABCD\n5 up 39\n9 end\n", 2, 9, ""},
      {"2 down 39\n4 up 39\n3 back\n2 up 39\n", 0, 0, "line 4: frame 2 goes backwards"},
      {"2 down 39\n5 back\n", 0, 0, "line 2: frame 5 goes back to a frame not yet played"},
      {"4 end\n2 end\n", 0, 0, "line 2: frame 2 goes backwards"},
      // Checkpoints: eight hex digits of either case, counted among the frames named.
      {"1 down 39\n60 check 0123abCD\n", 1, 60, ""},
      {"60 check 0123ABC\n", 0, 0, "line 1: bad checkpoint '0123ABC': eight hexadecimal digits expected"},
      {"60 check 0123ABCG\n", 0, 0, "line 1: bad checkpoint '0123ABCG': eight hexadecimal digits expected"},
      {"60 check -123ABCD\n", 0, 0, "line 1: bad checkpoint '-123ABCD': eight hexadecimal digits expected"},
      {"60 check\n", 0, 0, "line 1: bad checkpoint '': eight hexadecimal digits expected"},
      {"60 check 0123ABCD\n59 end\n", 0, 0, "line 2: frame 59 goes backwards"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    ReplayScript script;
    std::string error;
    EXPECT_EQ(ParseReplayScript(std::string(c.text), script, error), *c.error == '\0');
    EXPECT_EQ(error, c.error);
    if (*c.error != '\0') continue;
    EXPECT_EQ(script.events.size(), c.events);
    EXPECT_EQ(script.lastFrame, c.lastFrame);
  }
}

TEST(ReplayScriptText, LinesAreWrittenAsTheParserReadsThem) {
  StringSink out;
  WriteScriptLine(out, 1, wm::keyDown, 0);
  WriteScriptLine(out, 2147483647L, wm::keyUp, 0x12345);  // only the low bits are kept
  WriteScriptLine(out, 40, wm::character, 233);
  WriteScriptCheck(out, 60, 0x0AB0CD0Fu);
  WriteScriptEnd(out, 2147483647L);
  EXPECT_EQ(out.text, "1 down 0\n2147483647 up 9029\n40 char 233\n60 check 0AB0CD0F\n2147483647 end\n");
}

TEST(ReplayScriptText, FilesAreReadWholeAndWrittenAsTheyAre) {
  TempDir dir;
  // A name beyond plain ASCII, as a player's folder may have.
  const std::string name = (dir.path() / "r\xC3\xA9sum\xC3\xA9.txt").string();
  {
    FileSink sink;
    ASSERT_TRUE(sink.Open(name));
    sink.Write("1 down 39\n");
    sink.Flush();
    std::string longLine(10000, ' ');
    longLine += "2 up 39\n";
    sink.Write(longLine);
  }
  std::FILE* in = OpenUtf8File(name, "r");
  ASSERT_NE(in, nullptr);
  ReplayScript script;
  std::string error;
  EXPECT_TRUE(ParseReplayScript(in, script, error)) << error;
  std::fclose(in);
  EXPECT_EQ(script.events.size(), 2u);
  EXPECT_EQ(script.lastFrame, 2);
  // A folder opens on some systems but never reads as a script.
  if (std::FILE* folder = std::fopen(dir.path().string().c_str(), "r")) {
    EXPECT_FALSE(ParseReplayScript(folder, script, error));
    EXPECT_EQ(error, std::string("the script could not be read: ") + std::strerror(EISDIR));
    std::fclose(folder);
  }
  FileSink nowhere;
  EXPECT_FALSE(nowhere.Open((dir.path() / "no" / "folder.txt").string()));
  nowhere.Write("ignored\n");  // a sink that could not open drops what it is given
  EXPECT_EQ(nowhere.Failure(), 0);
#ifdef __linux__
  // A full disk: the failure is kept with its reason and told once, however often it recurs.
  FileSink full;
  int told = 0;
  full.WhenFailing([&](int) { ++told; });
  ASSERT_TRUE(full.Open("/dev/full"));
  full.Write("1 down 39\n");
  full.Flush();
  full.Write("2 up 39\n");
  full.Flush();
  EXPECT_EQ(full.Failure(), ENOSPC);
  EXPECT_EQ(told, 1);
#endif
}

TEST(GameOptions, AcceptsRecordAndPlayAndRefusesTheRest) {
  const auto parse = [](std::vector<std::string> args, std::string* error = nullptr) {
    GameOptions options;
    std::string why;
    const bool ok = ParseGameOptions(args, options, why);
    if (error) *error = why;
    return ok ? options.record + "|" + options.play : std::string("!");
  };
  EXPECT_EQ(parse({}), "|");
  EXPECT_EQ(parse({"--record", "a.txt"}), "a.txt|");
  EXPECT_EQ(parse({"--play", "b.txt", "--record", "a.txt"}), "a.txt|b.txt");
  std::string error;
  EXPECT_EQ(parse({"--speed"}, &error), "!");
  EXPECT_EQ(error, "unknown option '--speed'");
  EXPECT_EQ(parse({"--record"}, &error), "!");
  EXPECT_EQ(error, "--record needs a file name");
  EXPECT_EQ(parse({"--play", "x", "--play", "y"}), "!");
  EXPECT_EQ(parse({"--play", "x", "--record", "x"}), "!");

  EXPECT_EQ(parse({"--helpme"}, &error), "!");
  EXPECT_EQ(error, "unknown option '--helpme'");

  // The pace: a share of full speed in steps of ten, once.
  for (const char* refused : {"45", "55", "110", "0", "070", "7O", "", "-50"}) {
    EXPECT_EQ(parse({"--pace", refused}, &error), "!") << refused;
    EXPECT_NE(error.find("50, 60, 70, 80, 90 or 100"), std::string::npos) << error;
  }
  EXPECT_EQ(parse({"--pace"}, &error), "!");
  EXPECT_EQ(parse({"--pace", "50", "--pace", "60"}, &error), "!");
  EXPECT_EQ(error, "--pace given twice");
  GameOptions paced;
  EXPECT_TRUE(ParseGameOptions({"--pace", "70", "--keys", "a,d,w"}, paced, error)) << error;
  EXPECT_EQ(paced.pace, 70);
  EXPECT_EQ(paced.keys.GameKey('W'), vk::space);
  EXPECT_TRUE(ParseGameOptions({"--pad-jump", "Y"}, paced, error)) << error;
  EXPECT_EQ(paced.padJump, FaceButton::north);
  EXPECT_EQ(parse({"--pad-jump", "start"}, &error), "!");
  EXPECT_NE(error.find("A, B, X or Y"), std::string::npos) << error;

  GameOptions options;
  std::string why;
  EXPECT_TRUE(ParseGameOptions({"--version"}, options, why));
  EXPECT_TRUE(options.version);
  for (const char* help : {"--help", "-h"}) {
    GameOptions asked;
    EXPECT_TRUE(ParseGameOptions({"--play", "x", help}, asked, why)) << help;
    EXPECT_TRUE(asked.help) << help;
    EXPECT_FALSE(asked.version) << help;
  }
  EXPECT_EQ(VersionLine().rfind("fennwick ", 0), 0u);
  EXPECT_GT(VersionLine().size(), std::string("fennwick ").size());
}

TEST(GameOptions, FilesThatCannotBeUsedAreReportedBeforeTheGameStartsWithTheReason) {
  TempDir dir;
  const auto played = [&](const std::string& contents) {
    const std::string file = (dir.path() / "played.txt").string();
    std::ofstream(file, std::ios::binary) << contents;
    GameSession session;
    GameOptions options;
    options.play = file;
    std::string error;
    EXPECT_FALSE(session.Open(options, error)) << contents;
    return error.substr(error.find("played.txt") + std::string("played.txt").size());
  };
  // Nothing in it was ever a recording: the first line says so, quoted safely and cut short.
  EXPECT_EQ(played("root:x:0:0:root:/root:/bin/bash\n"),
            " is not a Fennwick recording: line 1 reads 'root:x:0:0:root:/root:/bin/bash'");
  EXPECT_EQ(played("# notes\n\n\x7f" "ELF\x01\x02\x03\n"),
            " is not a Fennwick recording: line 3 reads '\\x7FELF\\x01\\x02\\x03'");
  EXPECT_EQ(played(std::string(100, 'w')), " is not a Fennwick recording: line 1 reads '" + std::string(40, 'w') + "...'");
  // A recording that goes wrong later is damaged, and the line says how.
  EXPECT_EQ(played("1 down 39\n2 jump 3\n"), ", line 2: unknown word 'jump'");
  for (const char* empty : {"", "# recorded by hand\n\n"})
    EXPECT_EQ(played(empty), " holds no frames to play: it is empty, or only comments") << empty;

  const auto reason = [&](GameOptions options) {
    GameSession session;
    std::string error;
    EXPECT_FALSE(session.Open(options, error));
    return error;
  };
  GameOptions missing;
  missing.play = (dir.path() / "none.txt").string();
  EXPECT_EQ(reason(missing), "cannot read the recording '" + missing.play + "': " + std::strerror(ENOENT));
#ifdef __linux__
  GameOptions folder;  // opens on Linux, then will not be read
  folder.play = dir.path().string();
  EXPECT_EQ(reason(folder), "cannot read the recording '" + folder.play + "': " + std::strerror(EISDIR));
#endif
  GameOptions nowhere;
  nowhere.record = (dir.path() / "no" / "such" / "folder.txt").string();
  EXPECT_EQ(reason(nowhere), "cannot write the recording '" + nowhere.record + "': " + std::strerror(ENOENT));
}

TEST(Messages, CheckpointsAreToldInTimeAndCounts) {
  EXPECT_EQ(say::RunDiffers(741), "This run does not replay as it was recorded, from 0:12.35 on");
  EXPECT_EQ(say::RunDiffers(3661 * 60), "This run does not replay as it was recorded, from 61:01.00 on");
  EXPECT_EQ(say::VerifiedAllMatch("r.txt", 5400, 90), "r.txt: 5,400 frames, 90 checkpoints, all match");
  EXPECT_EQ(say::VerifiedAllMatch("r.txt", 1234567, 1), "r.txt: 1,234,567 frames, 1 checkpoint, all match");
  EXPECT_EQ(say::VerifiedDiffers("r.txt", 120, 0xAu, 0xFFFFFFFFu),
            "r.txt: differs from frame 120: checkpoint recorded 0000000A, replayed FFFFFFFF");
}

// What a player is told when an option or the screen is wrong: one case a line.
TEST(Messages, SayWhatIsWrongInPlainWords) {
  const std::pair<std::string, std::string> cases[] = {
      {say::BadPace(""), "--pace needs a share of the game's speed: 50, 60, 70, 80, 90 or 100 (per cent), and nothing was given"},
      {say::BadPace("45"), "--pace needs a share of the game's speed: 50, 60, 70, 80, 90 or 100 (per cent), not '45'"},
      {say::KeysNeedThree(""), "--keys needs three key names, for left, right and jump, between commas (as in --keys a,d,w), and nothing was given"},
      {say::ReservedKey("left", "escape"), "--keys: escape cannot be the key for left: it keeps its own meaning (Escape quits, F11 switches full screen, Backspace rewinds)"},
      {say::CannotReadRecording("/tmp", EISDIR), std::string("cannot read the recording '/tmp': ") + std::strerror(EISDIR)},
      {say::CannotDrawIntoWindow("no window"), "cannot draw into the window: no window"},
      {say::PlayedAtPace(70), "# played at 70 % of the game's pace\n"},
  };
  for (const auto& [said, expected] : cases) EXPECT_EQ(said, expected);
}

TEST(Messages, BoxLinesBreakOnlyAtSpacesAndKeepTheirBreaks) {
  EXPECT_EQ(WrapForBox("usage: fennwick [--help] [--version] [--record FILE] [--play FILE]", 30),
            "usage: fennwick [--help]\n[--version] [--record FILE]\n[--play FILE]");
  EXPECT_EQ(WrapForBox("usage: fennwick [--record FILE]", 20), "usage: fennwick\n[--record FILE]");
  EXPECT_EQ(WrapForBox("short\n\nline after a blank one", 12), "short\n\nline after a\nblank one");
  EXPECT_EQ(WrapForBox("a --very-long-option-that-fits-no-line b", 10), "a\n--very-long-option-that-fits-no-line\nb");
  EXPECT_EQ(WrapForBox("", 10), "");
}

std::string Contents(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(GameStart, SaysWhyItStopsAndWithWhichExitCode) {
  TempDir dir;
  const std::string recording = (dir.path() / "kept.txt").string();
  std::ofstream(recording) << "an earlier recording\n";
  struct Case {
    std::vector<std::string> args;
    int exitCode;
    std::vector<std::string> told;
    bool usage;  // only a mistake in the options is put right with the usage
  };
  const Case cases[] = {
      {{"--speed"}, 2, {"unknown option '--speed'\nusage: fennwick "}, true},
      {{"--play", (dir.path() / "none.txt").string()}, 2, {"cannot read the recording", std::strerror(ENOENT)}, false},
      {{"--record", recording, "-h"}, 0, {"usage: fennwick ", "--record FILE", "Escape", "F11", "Back"}, true},
      {{"--help"}, 0, {"--play FILE", "-h, --help"}, true},
      {{"--version", "--record", recording}, 0, {"fennwick "}, false},
  };
  for (const Case& c : cases) {
    GameStart start;
    EXPECT_FALSE(start.Prepare(c.args)) << c.args[0];
    EXPECT_EQ(start.exitCode, c.exitCode) << c.args[0];
    for (const std::string& part : c.told) EXPECT_NE(start.message.find(part), std::string::npos) << start.message;
    EXPECT_EQ(start.message.find("usage: ") != std::string::npos, c.usage) << start.message;
    EXPECT_EQ(start.Report(), c.exitCode);
  }
  EXPECT_EQ(Contents(recording), "an earlier recording\n");

  GameStart start;
  EXPECT_FALSE(start.Fail(1, "no display"));
  EXPECT_EQ(start.message, "no display");
  EXPECT_EQ(start.exitCode, 1);
}

TEST(GameStart, PlaysTheWindowsMessagesIntoTheRecordingAndEndsIt) {
  TempDir dir;
  ScopedCwd here(dir.path());
  processKeyboard = Keyboard{};
  const std::filesystem::path recording = dir.path() / "played.txt";
  GameStart start;
  ASSERT_TRUE(start.Prepare({"--record", recording.string()}));
  ASSERT_TRUE(start.Build(nullptr));
  start.Driver().RunFrame();
  start.Input().Message(wm::keyDown, vk::right, 0);
  start.Driver().RunFrame();
  start.End();
  start.End();
  EXPECT_EQ(start.message, "");
  const std::string played = Contents(recording);
  // The run ends with its state's checkpoint, then its end.
  EXPECT_NE(played.find("\n2 down 39\n2 check "), std::string::npos) << played;
  EXPECT_EQ(played.substr(played.size() - 7), "\n2 end\n") << played;
}

}  // namespace

// A world put back from a state taken mid-run goes on exactly as the run it was taken from:
// same fingerprints every frame, same picture at the end. Busy random keys make every mode and every
// animation clock come round.
TEST_F(FrameDriverTest, AWorldPutBackGoesOnExactlyAsTheOriginal) {
  constexpr int frames = 3000;
  std::uint32_t seed = 12345;
  auto next = [&seed] { return seed = seed * 1664525u + 1013904223u; };
  const std::uint8_t keys[] = {vk::left, vk::right, vk::space};
  std::vector<std::vector<std::pair<std::uint32_t, std::uint8_t>>> input(frames);
  for (auto& frame : input)
    while (next() % 5 == 0) frame.push_back({next() % 2 ? wm::keyDown : wm::keyUp, keys[next() % 3]});
  auto run = [&](int from, int to, std::vector<std::uint32_t>& hashes) {
    for (int f = from; f < to; ++f) {
      for (auto [message, key] : input[f]) HandleWindowMessage(nullptr, message, key, 0);
      // Only the last frame is drawn: computing alone must leave nothing out.
      world->RunFrame(nullptr, f + 1 == frames ? FrameOutput::shown : FrameOutput::computedOnly);
      hashes.push_back(StateHash(CaptureState(*world)));
    }
  };
  std::vector<std::uint32_t> original;
  std::vector<WorldState> taken;
  const int takenAt[] = {1, 777, 1500, 2999};
  for (int i = 0, from = 0; i < 4; from = takenAt[i++]) {
    run(from, takenAt[i], original);
    taken.push_back(CaptureState(*world));
  }
  run(2999, frames, original);
  const std::vector<Pixel> lastPicture(world->display.frameBuffer, world->display.frameBuffer + Display::pixelCount);
  std::set<WorldState::Mode> modes;
  for (const WorldState& state : taken) modes.insert(state.mode);
  EXPECT_GE(modes.size(), 2u) << "the session should not stand still";

  // Back in time, in no particular order, each time from a world the later frames have changed.
  for (int i : {2, 0, 3, 1}) {
    RestoreState(*world, taken[i]);
    std::vector<std::uint32_t> again;
    run(takenAt[i], frames, again);
    EXPECT_TRUE(std::equal(again.begin(), again.end(), original.begin() + takenAt[i])) << "from frame " << takenAt[i];
    EXPECT_TRUE(std::equal(lastPicture.begin(), lastPicture.end(), world->display.frameBuffer)) << "from frame " << takenAt[i];
  }
}

// The fingerprint is written into recordings, so it must never change: these are its values
// for the first frame, and for the same frame with the figure moved by the last bit of a float
// or with one more key held.
TEST_F(FrameDriverTest, TheFingerprintIsFixed) {
  driver->RunFrame();
  WorldState state = CaptureState(*world);
  char text[9];
  FormatHash(StateHash(state), text);
  EXPECT_STREQ(text, "7446818D");
  state.position.x = std::nextafter(state.position.x, 1e9f);
  FormatHash(StateHash(state), text);
  EXPECT_STREQ(text, "8CDEFA24");
  state = CaptureState(*world);
  state.keyboard.KeyWentDown(vk::space);
  FormatHash(StateHash(state), text);
  EXPECT_STREQ(text, "973A231C");
}
