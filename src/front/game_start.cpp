#include "front/game_start.h"

#include "front/asset_folder.h"
#include "front/game_loop.h"
#include "front/messages.h"
#include "core/platform.h"
#include "core/game/demo_viewer.h"
#include "core/game/frame_driver.h"
#include "core/game/game_world.h"
#include "core/game/viewer_controls.h"

GameStart::GameStart() = default;
GameStart::~GameStart() { End(); }

bool GameStart::Prepare(const std::vector<std::string>& args) {
  if (!PrepareOptions(args)) return false;
  CheckPictures(PictureCheck::every);
  return true;
}

bool GameStart::PrepareOptions(const std::vector<std::string>& args) {
  std::string error;
  if (!ParseGameOptions(args, options, error)) return FailOption(error);
  // Asking what the game is must not empty a recording named beside the question.
  if (options.help || options.version) {
    message = options.help ? HelpText() : VersionLine();
    return false;
  }
  if (!session.Open(options, error)) return Fail(badCommandLine, error);
  // The recording and the script are open already: their names were relative to where the
  // player started the game, and the search may move elsewhere. The game plays on without them.
  pictures = std::make_unique<PictureCheck>(ExecutableFolder());
  return true;
}

bool GameStart::CheckPictures(std::size_t count) {
  if (!pictures) return true;
  if (!pictures->Next(count)) return false;
  const std::string missing = pictures->Message();
  if (!missing.empty()) TellPlayer(Tone::note, missing);
  pictures.reset();
  return true;
}

bool GameStart::Build(WindowHandle window) {
  world = std::make_unique<GameWorld>(window);
  if (!world->display.CanDraw()) return Fail(cannotPlay, world->display.DrawFailure());
  driver = std::make_unique<FrameDriver>(*world, window);
  session.Attach(*driver);
  // A demo that parts from its run says so once, and plays on: what follows is still worth
  // seeing, and where they parted is what a bug report needs.
  driver->WhenRunDiffers([](const CheckMismatch& at) { TellPlayer(Tone::note, say::RunDiffers(at.frame)); });
  viewer = std::make_unique<DemoViewer>(*driver, *world);
  controls = std::make_unique<ViewerControls>(*viewer);
  input = std::make_unique<PlayerInput>(*driver);
  input->UseKeys(options.keys);
  input->UseJumpButton(options.padJump);
  input->SteerViewer(controls.get());
  this->window = window;
  return true;
}

void GameStart::Play(LoopPlatform& loop) { RunGameLoop(*driver, *viewer, window, loop, options.pace); }

void GameStart::End() {
  if (driver) driver->Close();
  // The player was told when it failed; the end says it too, to whoever started the game.
  if (session.recording.Failure() != 0 && exitCode == ok) exitCode = runNotKept;
  input.reset();
  controls.reset();
  viewer.reset();
  driver.reset();
  world.reset();
}

bool GameStart::Fail(int code, const std::string& what) {
  exitCode = code;
  fault = what;
  message = what;
  return false;
}

bool GameStart::FailOption(const std::string& what) {
  Fail(badCommandLine, what);
  message += std::string("\n") + say::usage;
  return false;
}

int GameStart::Report() const {
  if (!message.empty()) TellPlayer(exitCode == ok ? Tone::answer : Tone::fault, message);
  return exitCode;
}
