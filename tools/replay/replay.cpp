// fennwick-replay: runs the real game world without a window, driven by a script of key
// messages, and prints one line per frame. For tests, bug reports and comparing builds.
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <typeinfo>
#include <utility>

#ifdef _WIN32
#include <windows.h>
#include <fcntl.h>
#include <io.h>
#else
#include <unistd.h>
#endif

#include "front/asset_folder.h"
#include "front/messages.h"
#include "platform/headless/platform_headless.h"
#include "bmp_file.h"
#include "front/version.h"
#include "core/input/window_messages.h"
#include "core/game/frame_driver.h"
#include "core/game/game_world.h"
#include "core/game/replay_script.h"
#include "front/script_reader.h"
#include "core/sprites/player_ground_states.h"
#include "core/sprites/player_jumping.h"
#include "core/sprites/player_repel.h"

namespace {

constexpr int usageError = 2;
constexpr int differs = 1;
constexpr int nothingToCompare = 3;

const char* const usage =
    "usage: fennwick-replay [--help] [--version] [--assets DIR] [--frames N] [--hash] [--dump F|last FILE.bmp]\n"
    "                       [SCRIPT|-]\n"
    "       fennwick-replay [--assets DIR] --verify RECORDING\n";

// What --help adds to the usage: what the tool does, then each option. Kept in step with its
// manual page, packaging/fennwick-replay.6.
const char* const help =
    "\n"
    "Runs the game without a window, driven by a script of keys (a recording made with\n"
    "fennwick --record, or - for standard input), and prints one line a frame: its number, the\n"
    "figure's state, facing (L or R), animation and its frame, position x y, velocity x y, and\n"
    "the camera's x y.\n"
    "\n"
    "  --frames N         run N frames, not the script's own length\n"
    "  --hash             end each line with a hash of the frame's picture, to compare the\n"
    "                     pictures of two builds or two machines\n"
    "  --dump F FILE.bmp  write frame F (from 1, or last: the frame the run ended on) as a\n"
    "                     picture, FILE.bmp, in the folder the tool was started from\n"
    "  --assets DIR       take the pictures from DIR; without it the tool looks where the game\n"
    "                     does: the working folder, its own folder, the installed data folder\n"
    "  --verify           replay a recording without drawing and compare it with the\n"
    "                     checkpoints written as it was played: exit 0 when all match, 1 when\n"
    "                     it differs (naming the first frame), 3 when it holds no checkpoints,\n"
    "                     2 when it cannot be read\n"
    "  --version          print the version and stop\n"
    "  -h, --help         print this and stop\n";

// --dump's frame when it is the last one run.
constexpr long lastFrameRun = -1;

struct Options {
  std::string assets;
  long frames = -1;
  bool hash = false;
  long dumpFrame = 0;
  std::string dumpFile;
  std::string script = "-";
  bool scriptGiven = false;
  bool version = false;
  bool help = false;
  bool verify = false;
};

// Where this program's file is: the pictures may be beside it, or in the data folder beside
// its folder, as for the game. Empty where there is no telling.
std::filesystem::path ToolFolder() {
  std::error_code error;
#ifdef _WIN32
  wchar_t name[MAX_PATH];
  const DWORD length = GetModuleFileNameW(nullptr, name, MAX_PATH);
  if (length == 0 || length == MAX_PATH) return {};
  return std::filesystem::path(name).parent_path();
#else
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::filesystem::path() : self.parent_path();
#endif
}

bool InputIsATerminal() {
#ifdef _WIN32
  return _isatty(_fileno(stdin)) != 0;
#else
  return isatty(STDIN_FILENO) != 0;
#endif
}

const char* StateName(const SpriteState* state) {
  if (dynamic_cast<const PlayerStanding*>(state)) return "standing";
  if (dynamic_cast<const PlayerRunning*>(state)) return "running";
  if (dynamic_cast<const PlayerJumping*>(state)) return "jumping";
  if (dynamic_cast<const PlayerRepel*>(state)) return "repel";
  return "unknown";
}

const char* const pairNames[] = {"stand", "run", "jump", "fall"};

std::uint64_t HashFrame(const Pixel* frame) {
  std::uint64_t hash = 0xcbf29ce484222325ull;
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(frame);
  for (std::size_t i = 0; i < Display::pixelCount * sizeof(Pixel); ++i) {
    hash ^= bytes[i];
    hash *= 0x100000001b3ull;
  }
  return hash;
}

bool ParseCount(const char* text, long low, long& value) {
  char* end = nullptr;
  const long parsed = std::strtol(text, &end, 10);
  if (end == text || *end != '\0' || parsed < low || parsed > 100000000) return false;
  value = parsed;
  return true;
}

bool ParseOptions(int argc, char** argv, Options& options) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const auto bad = [&](const std::string& why) {
      std::fprintf(stderr, "fennwick-replay: %s\n%s", why.c_str(), usage);
      return false;
    };
    const auto needs = [&](int count) { return i + count < argc; };
    if (arg == "--version") {
      options.version = true;
    } else if (arg == "--help" || arg == "-h") {
      options.help = true;
    } else if (arg == "--assets") {
      if (!needs(1)) return bad("--assets needs a folder");
      options.assets = argv[++i];
    } else if (arg == "--frames") {
      if (!needs(1) || !ParseCount(argv[i + 1], 0, options.frames))
        return bad("--frames needs a number of frames");
      ++i;
    } else if (arg == "--verify") {
      options.verify = true;
    } else if (arg == "--hash") {
      options.hash = true;
    } else if (arg == "--dump") {
      const bool last = needs(2) && std::string(argv[i + 1]) == "last";
      if (last) options.dumpFrame = lastFrameRun;
      if (!needs(2) || (!last && !ParseCount(argv[i + 1], 1, options.dumpFrame)))
        return bad("--dump needs a frame number (from 1, or 'last') and a file name");
      options.dumpFile = argv[i + 2];
      i += 2;
    } else if (arg.size() > 1 && arg[0] == '-') {
      return bad("unknown option '" + arg + "'");
    } else {
      if (options.scriptGiven) return bad("more than one script given ('" + arg + "')");
      options.script = arg;
      options.scriptGiven = true;
    }
  }
  if (options.verify && (options.hash || !options.dumpFile.empty()))
  {
    std::fprintf(stderr, "fennwick-replay: --verify draws nothing, so it takes no --hash or --dump\n%s", usage);
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
#ifdef _WIN32
  // Lines end in a bare \n here too, so the output of every build compares byte for byte.
  _setmode(_fileno(stdout), _O_BINARY);
#endif
  // The frame lines go out in blocks wherever they go. Emscripten's C library writes its
  // standard output a line at a time even into a pipe or a file, and under Node each write is a
  // call out of the WebAssembly into Node's file system: two a frame, which cost the web build
  // about a tenth of its frame (bench/web_vs_native.sh).
  std::setvbuf(stdout, nullptr, _IOFBF, 1 << 16);
  Options options;
  if (!ParseOptions(argc, argv, options)) return usageError;
  if (options.version || options.help) {
    if (options.version) std::printf("fennwick-replay %s\n", fennwickVersion);
    else std::printf("%s%s", usage, help);
    return 0;
  }
  // Nothing named and nobody piping a script in: a newcomer would wait for ever.
  if (!options.scriptGiven && InputIsATerminal()) {
    std::fprintf(stderr, "fennwick-replay: no script: name a recording, or give - and type or pipe one in\n%s", usage);
    return usageError;
  }

  ReplayScript script;
  std::string error;
  if (options.script == "-") {
    if (!ParseReplayScript(stdin, script, error)) {
      std::fprintf(stderr, "fennwick-replay: standard input, %s\n", error.c_str());
      return usageError;
    }
  } else {
    errno = 0;
    std::FILE* in = std::fopen(options.script.c_str(), "r");
    if (in == nullptr) {
      std::fprintf(stderr, "fennwick-replay: %s\n", say::CannotReadRecording(options.script, errno).c_str());
      return usageError;
    }
    ScriptFault fault;
    const bool parsed = ParseReplayScript(in, script, error, &fault);
    std::fclose(in);
    if (!parsed && fault.readError != 0) {
      std::fprintf(stderr, "fennwick-replay: %s\n", say::CannotReadRecording(options.script, fault.readError).c_str());
      return usageError;
    }
    if (!parsed) {
      std::fprintf(stderr, "fennwick-replay: %s, %s\n", options.script.c_str(), error.c_str());
      return usageError;
    }
  }
  std::error_code failure;
  // The picture goes where it was asked for, as the script came from there: beside the
  // caller, not among the pictures.
  if (!options.dumpFile.empty()) {
    const std::filesystem::path dump = std::filesystem::absolute(options.dumpFile, failure);
    if (!failure) options.dumpFile = dump.string();
  }
  if (options.assets.empty()) {
    // Where the game looks, and what it says when they are not there: frames drawn without
    // the figure would hash unlike the game's. A verify draws nothing, so pictures missing
    // change none of its answers and it does not mention them.
    const std::string missing = EnterPictureFolder(ToolFolder());
    if (!missing.empty() && !options.verify) std::fprintf(stderr, "fennwick-replay: %s\n", missing.c_str());
  } else {
    std::filesystem::current_path(options.assets, failure);
    if (failure) {
      std::fprintf(stderr, "fennwick-replay: cannot change to --assets folder '%s': %s\n",
                   options.assets.c_str(), failure.message().c_str());
      return usageError;
    }
  }
  const long lastFrame = options.frames >= 0 ? options.frames : script.lastFrame;

  auto world = std::make_unique<GameWorld>(nullptr);
  FrameDriver driver(*world, nullptr);
  driver.Play(std::move(script));
  if (options.verify) {
    const std::string name = options.script == "-" ? "standard input" : options.script;
    // Frames are computed, never drawn: the checkpoints hash the state, not the picture.
    for (long frame = 1; frame <= lastFrame && driver.Mismatch().frame == 0; ++frame)
      driver.RunFrame(FrameOutput::computedOnly);
    const CheckMismatch& mismatch = driver.Mismatch();
    if (mismatch.frame != 0) {
      std::printf("%s\n", say::VerifiedDiffers(name, mismatch.frame, mismatch.recorded, mismatch.replayed).c_str());
      return differs;
    }
    if (driver.ChecksMatched() == 0) {
      std::printf("%s\n", say::VerifiedNothingToCompare(name, lastFrame).c_str());
      return nothingToCompare;
    }
    std::printf("%s\n", say::VerifiedAllMatch(name, lastFrame, driver.ChecksMatched()).c_str());
    return 0;
  }
  bool dumped = false;
  char line[512];
  for (long frame = 1; frame <= lastFrame; ++frame) {
    driver.RunFrame();

    const PlayerData& player = world->player.data;
    int pair = 0;
    while (pair < 3 && player.animation != player.animations[pair].get()) ++pair;
    const Animation* animation = player.animation->For(player.facing);
    int length = std::snprintf(
        line, sizeof line, "%ld %s %c %s %u %.9g %.9g %.9g %.9g %.9g %.9g", frame,
        StateName(player.state.get()), player.facing == Direction::Left ? 'L' : 'R', pairNames[pair],
        animation ? animation->currentFrame : 0u, static_cast<double>(player.position.x),
        static_cast<double>(player.position.y), static_cast<double>(player.velocity.x),
        static_cast<double>(player.velocity.y), static_cast<double>(world->camera.x),
        static_cast<double>(world->camera.y));
    if (options.hash)
      length += std::snprintf(line + length, sizeof line - static_cast<std::size_t>(length), " %016llx",
                              static_cast<unsigned long long>(HashFrame(world->display.frameBuffer)));
    std::fwrite(line, 1, static_cast<std::size_t>(length), stdout);
    std::fputc('\n', stdout);

    const bool ends = frame == lastFrame || headlessPlatform.quitPosted;
    if (frame == options.dumpFrame || (options.dumpFrame == lastFrameRun && ends)) {
      if (!WriteBmp24(options.dumpFile, Display::width, Display::height, world->display.frameBuffer)) {
        std::fprintf(stderr, "fennwick-replay: cannot write '%s'\n", options.dumpFile.c_str());
        return 1;
      }
      dumped = true;
    }
    if (headlessPlatform.quitPosted) break;  // Escape: the game would stop here too
  }
  std::fflush(stdout);
  if (options.dumpFrame == lastFrameRun && !dumped) {
    std::fprintf(stderr, "fennwick-replay: the script runs no frame, so nothing was dumped\n");
    return 1;
  }
  if (options.dumpFrame > 0 && !dumped) {
    std::fprintf(stderr, "fennwick-replay: frame %ld was never run, so nothing was dumped\n",
                 options.dumpFrame);
    return 1;
  }
  return 0;
}
