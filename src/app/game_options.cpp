#include "app/game_options.h"

#include <cstdio>

#include "app/controls.h"
#include "app/version.h"
#include "game/frame_driver.h"

namespace {

const char* const recordingHeader = "# recorded by fennwick: replay it with fennwick-replay\n";

}  // namespace

const char* const gameUsage = "usage: fennwick [--help] [--version] [--record FILE | --play FILE]";

std::string VersionLine() { return std::string("fennwick ") + fennwickVersion; }

std::string HelpText() {
  std::string text = std::string(gameUsage) + "\n\n" + gameControls;
  // Whoever prints it adds the last line's end.
  if (!text.empty() && text.back() == '\n') text.pop_back();
  return text;
}

bool ParseGameOptions(const std::vector<std::string>& args, GameOptions& options, std::string& error) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--version" || arg == "--help" || arg == "-h") {
      (arg == "--version" ? options.version : options.help) = true;
      continue;
    }
    std::string* target = arg == "--record" ? &options.record : arg == "--play" ? &options.play : nullptr;
    if (target == nullptr) {
      error = "unknown option '" + arg + "'";
      return false;
    }
    if (i + 1 >= args.size() || args[i + 1].empty()) {
      error = arg + " needs a file name";
      return false;
    }
    if (!target->empty()) {
      error = arg + " given twice";
      return false;
    }
    *target = args[++i];
  }
  if (!options.record.empty() && options.record == options.play) {
    error = "--record would overwrite the script that --play reads";
    return false;
  }
  return true;
}

bool GameSession::Open(const GameOptions& options, std::string& error) {
  // Names arrive as UTF-8 on every system.
  if (!options.play.empty()) {
    std::FILE* in = OpenUtf8File(options.play, "r");
    if (in == nullptr) {
      error = "cannot read the script '" + options.play + "'";
      return false;
    }
    std::string why;
    const bool parsed = ParseReplayScript(in, script, why);
    std::fclose(in);
    if (!parsed) {
      error = options.play + ", " + why;
      return false;
    }
    playing = true;
  }
  if (!options.record.empty()) {
    if (!recording.Open(options.record)) {
      error = "cannot write the recording '" + options.record + "'";
      return false;
    }
    recording.Write(recordingHeader);
  }
  // A file recording wins: one driver writes one script.
  if (options.recordInMemory && !recording.IsOpen()) {
    memoryRecording.Write(recordingHeader);
    recordingInMemory = true;
  }
  return true;
}

void GameSession::Attach(FrameDriver& driver) {
  if (recording.IsOpen()) driver.Record(recording);
  else if (recordingInMemory) driver.Record(memoryRecording);
  if (playing) driver.Play(std::move(script));
}
