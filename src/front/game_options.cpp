#include "front/game_options.h"

#include <cctype>
#include <cerrno>
#include <cstdio>

#include "front/controls.h"
#include "front/messages.h"
#include "core/platform.h"
#include "front/version.h"
#include "core/game/frame_driver.h"
#include "front/script_reader.h"

namespace {

const char* const recordingHeader = "# recorded by fennwick: replay it with fennwick-replay\n";

}  // namespace

bool ParsePace(const std::string& text, int& percent) {
  if (text.size() < 2 || text.size() > 3 || text[0] == '0' || text.find_first_not_of("0123456789") != std::string::npos)
    return false;
  const int value = std::stoi(text);
  if (value < 50 || value > 100 || value % 10 != 0) return false;
  percent = value;
  return true;
}

std::string VersionLine() { return std::string("fennwick ") + fennwickVersion; }

std::string HelpText() {
  std::string text = std::string(say::usage) + "\n\n" + gameControls;
  // Whoever prints it adds the last line's end.
  if (!text.empty() && text.back() == '\n') text.pop_back();
  return text;
}

bool ParseGameOptions(const std::vector<std::string>& args, GameOptions& options, std::string& error) {
  // The option at i takes the next argument as its value ("" when none follows); given twice,
  // it is refused, whatever the values.
  const auto valueOf = [&](std::size_t& i, bool given, std::string& value) {
    if (given) {
      error = say::GivenTwice(args[i]);
      return false;
    }
    value = i + 1 < args.size() ? args[++i] : "";
    return true;
  };
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    std::string value;
    if (arg == "--version" || arg == "--help" || arg == "-h") {
      (arg == "--version" ? options.version : options.help) = true;
    } else if (arg == "--keys") {
      if (!valueOf(i, options.keysChosen, value) || !KeyMap::Parse(value, options.keys, error)) return false;
      options.keysChosen = true;
    } else if (arg == "--pace") {
      if (!valueOf(i, options.paceChosen, value)) return false;
      if (!ParsePace(value, options.pace)) {
        error = say::BadPace(value);
        return false;
      }
      options.paceChosen = true;
    } else if (arg == "--pad-jump") {
      if (!valueOf(i, options.padJumpChosen, value)) return false;
      // The buttons by the letters most pads print on them.
      const char* const letters[] = {"a", "b", "x", "y"};
      constexpr FaceButton buttons[] = {FaceButton::south, FaceButton::east, FaceButton::west, FaceButton::north};
      std::size_t found = 0;
      while (found < 4 && !(value.size() == 1 && std::tolower(static_cast<unsigned char>(value[0])) == letters[found][0])) ++found;
      if (found == 4) {
        error = say::BadPadButton(value);
        return false;
      }
      options.padJump = buttons[found];
      options.padJumpChosen = true;
    } else if (arg == "--record" || arg == "--play") {
      std::string& target = arg == "--record" ? options.record : options.play;
      if (!valueOf(i, !target.empty(), value)) return false;
      if (value.empty()) {
        error = say::NeedsFileName(arg);
        return false;
      }
      target = value;
    } else {
      error = say::UnknownOption(arg);
      return false;
    }
  }
  if (!options.record.empty() && options.record == options.play) {
    error = say::RecordOverPlay();
    return false;
  }
  return true;
}

bool GameSession::Open(const GameOptions& options, std::string& error) {
  // Names arrive as UTF-8 on every system.
  if (!options.play.empty()) {
    errno = 0;
    std::FILE* in = OpenUtf8File(options.play, "r");
    if (in == nullptr) {
      error = say::CannotReadRecording(options.play, errno);
      return false;
    }
    std::string why;
    ScriptFault fault;
    const bool parsed = ParseReplayScript(in, script, why, &fault);
    std::fclose(in);
    if (!parsed && fault.readError != 0) {
      // It opened, but would not be read (a folder does so on Linux): the same words as a file
      // that would not open, with the system's reason.
      error = say::CannotReadRecording(options.play, fault.readError);
      return false;
    }
    if (!parsed) {
      // A file whose first line is no recording's was never one: the player most likely
      // named the wrong file, which says more than the line's fault.
      // A run too long to play is a recording all the same: the player is told why it is refused.
      error = fault.line > 0 && !fault.afterGoodLines && !fault.tooLong ? say::NotARecording(options.play, fault.line, fault.text)
                                                      : say::DamagedRecording(options.play, why);
      return false;
    }
    if (script.lastFrame == 0) {
      error = say::EmptyRecording(options.play);
      return false;
    }
    playing = true;
  }
  if (!options.record.empty()) {
    errno = 0;
    if (!recording.Open(options.record)) {
      error = say::CannotWriteRecording(options.record, errno);
      return false;
    }
    recording.Write(recordingHeader);
    // For the curious only: the frames are the same at any pace.
    if (options.pace != 100) recording.Write(say::PlayedAtPace(options.pace));
    // Told at once, while the player can still free the space or stop; the game plays on.
    recording.WhenFailing([name = options.record](int why) { TellPlayer(Tone::fault, say::RecordingNotWritten(name, why)); });
  }
  // A file recording wins: one driver writes one script.
  if (options.recordInMemory && !recording.IsOpen()) {
    memoryRecording.Write(recordingHeader);
    recordingInMemory = true;
  }
  return true;
}

std::string GameSession::RecordedRun() const { return PlayedOn(memoryRecording.text); }

void GameSession::Attach(FrameDriver& driver) {
  if (recording.IsOpen()) driver.Record(recording);
  else if (recordingInMemory) driver.Record(memoryRecording);
  if (playing) driver.Play(std::move(script));
}
