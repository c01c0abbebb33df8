#include "front/messages.h"

#include <cstdio>
#include <cstring>

#include "core/platform.h"

namespace say {

namespace {

// The system's reason for a failed open, in its own words.
std::string Because(int error) {
  if (error == 0) return "";
  return std::string(": ") + std::strerror(error);
}

// How many bytes the UTF-8 character starting at `at` takes, or 0 when it is not one.
std::size_t Utf8Length(const std::string& text, std::size_t at) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(at);
  std::size_t length = lead >= 0xF0 && lead <= 0xF4 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 0;
  if (lead >= 0xF5 || length == 0 || at + length > text.size()) return 0;
  for (std::size_t i = 1; i < length; ++i)
    if ((byte(at + i) & 0xC0) != 0x80) return 0;
  return length;
}

// What an option was given instead, or that nothing was: an empty '' reads as a typo.
std::string NotGiven(const std::string& given) {
  return given.empty() ? ", and nothing was given" : ", not " + Quoted(given);
}

std::string Plural(std::size_t count, const char* one) {
  return std::to_string(count) + " " + one + (count == 1 ? "" : "s");
}

// A count as people write it: 5,400.
std::string Thousands(long count) {
  std::string digits = std::to_string(count);
  for (std::size_t at = digits.size(); at > 3 && digits[at - 4] != '-'; at -= 3) digits.insert(at - 3, ",");
  return digits;
}

std::string Hex(std::uint32_t hash) {
  char text[9];
  std::snprintf(text, sizeof text, "%08X", static_cast<unsigned>(hash));
  return text;
}

}  // namespace

std::string Quoted(const std::string& text, std::size_t longest) {
  std::string shown = "'";
  std::size_t characters = 0;
  for (std::size_t at = 0; at < text.size();) {
    if (characters == longest) return shown + "...'";
    const unsigned char c = static_cast<unsigned char>(text[at]);
    if (c >= 0x20 && c < 0x7F) {
      shown += static_cast<char>(c);
      ++at;
    } else if (const std::size_t length = c >= 0x80 ? Utf8Length(text, at) : 0) {
      shown.append(text, at, length);
      at += length;
    } else {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
      shown += escaped;
      ++at;
    }
    ++characters;
  }
  return shown + "'";
}

const char* const usage = "usage: fennwick [--help] [--version] [--record FILE] [--play FILE] [--keys LEFT,RIGHT,JUMP] [--pace PERCENT] [--pad-jump BUTTON]";

std::string UnknownOption(const std::string& option) { return "unknown option " + Quoted(option); }
std::string NeedsFileName(const std::string& option) { return option + " needs a file name"; }
std::string GivenTwice(const std::string& option) { return option + " given twice"; }
std::string RecordOverPlay() { return "--record would overwrite the script that --play reads"; }
void PlayTime(long frames, char* text, std::size_t size) {
  const long hundredths = frames * 100 / 60;
  std::snprintf(text, size, "%ld:%02ld.%02ld", hundredths / 6000, hundredths / 100 % 60, hundredths % 100);
}

void Speed(int speedFrames, int speedTicks, char* text, std::size_t size) {
  if (speedFrames == 1 && speedTicks == 2) std::snprintf(text, size, "\xC2\xBD");
  else if (speedFrames == 1 && speedTicks == 4) std::snprintf(text, size, "\xC2\xBC");
  else if (speedTicks == 1) std::snprintf(text, size, "%d", speedFrames);
  else std::snprintf(text, size, "%d/%d", speedFrames, speedTicks);
}
std::string Speed(int speedFrames, int speedTicks) {
  char text[24];
  Speed(speedFrames, speedTicks, text, sizeof text);
  return text;
}

void DemoTitle(long frame, long lastFrame, int speedFrames, int speedTicks, bool paused, char (&title)[titleSize]) {
  char at[24];
  char length[24];
  PlayTime(frame, at, sizeof at);
  PlayTime(lastFrame, length, sizeof length);
  char speed[24];
  Speed(speedFrames, speedTicks, speed, sizeof speed);
  // In UTF-8: an em dash, middle dots and the multiplication sign.
  std::snprintf(title, sizeof title, "Fennwick \xE2\x80\x94 %s / %s \xC2\xB7 %s\xC3\x97%s", at, length, speed,
                paused ? " \xC2\xB7 paused" : "");
}

void LiveTitle(bool rewinding, long frame, long liveFrom, char (&title)[titleSize]) {
  char at[24];
  PlayTime(rewinding ? frame : liveFrom, at, sizeof at);
  if (rewinding) std::snprintf(title, sizeof title, "Fennwick \xE2\x80\x94 rewinding \xC2\xB7 %s", at);
  else if (liveFrom >= 0) std::snprintf(title, sizeof title, "Fennwick \xE2\x80\x94 live from %s", at);
  else std::snprintf(title, sizeof title, "Fennwick");
}

std::string NoRecordingInBrowser() { return "--record is not available in the browser"; }
std::string BadPace(const std::string& given) {
  return "--pace needs a share of the game's speed: 50, 60, 70, 80, 90 or 100 (per cent)" + NotGiven(given);
}
std::string BadPadButton(const std::string& given) {
  return "--pad-jump needs the face button that jumps: A, B, X or Y (as on the pad; Cross, Circle, Square, Triangle)" +
         NotGiven(given);
}
std::string KeysNeedThree(const std::string& given) {
  return "--keys needs three key names, for left, right and jump, between commas (as in --keys a,d,w)" + NotGiven(given);
}
std::string UnknownKeyName(const std::string& job, const std::string& name) {
  return "--keys: " + Quoted(name) + " is no key name the game knows (for " + job + ")";
}
std::string ReservedKey(const std::string& job, const std::string& name) {
  return "--keys: " + name + " cannot be the key for " + job + ": it keeps its own meaning (Escape quits, F11 switches full screen, Backspace rewinds)";
}
std::string KeyChosenTwice(const std::string& name, const std::string& firstJob, const std::string& secondJob) {
  return "--keys: " + name + " is named for both " + firstJob + " and " + secondJob + "; one key can do only one";
}

std::string CannotReadRecording(const std::string& file, int error) {
  return "cannot read the recording '" + file + "'" + Because(error);
}
std::string CannotWriteRecording(const std::string& file, int error) {
  return "cannot write the recording '" + file + "'" + Because(error);
}
std::string ScriptUnreadable(int error) { return "the script could not be read" + Because(error); }
std::string DamagedRecording(const std::string& file, const std::string& why) { return file + ", " + why; }
std::string NotARecording(const std::string& file, long line, const std::string& text) {
  return file + " is not a Fennwick recording: line " + std::to_string(line) + " reads " + Quoted(text);
}
std::string EmptyRecording(const std::string& file) {
  return file + " holds no frames to play: it is empty, or only comments";
}

std::string RecordingNotWritten(const std::string& file, int error) {
  return "the recording '" + file + "' cannot be written" + Because(error) +
         ". The game plays on, but this run will not be kept whole";
}
std::string PlayedAtPace(int pace) { return "# played at " + std::to_string(pace) + " % of the game's pace\n"; }
std::string ScriptTooLarge(std::size_t bytes) {
  return "the file is larger than " + std::to_string(bytes >> 20) + " MB, far more than any recording";
}

std::string RunDiffers(long frame) {
  // The time the frame ends at, 60 frames a second, as a stopwatch shows it.
  char text[32];
  PlayTime(frame, text, sizeof text);
  return std::string("This run does not replay as it was recorded, from ") + text + " on";
}
std::string VerifiedAllMatch(const std::string& file, long frames, long checks) {
  return file + ": " + Thousands(frames) + (frames == 1 ? " frame, " : " frames, ") + Thousands(checks) +
         (checks == 1 ? " checkpoint, all match" : " checkpoints, all match");
}
std::string VerifiedDiffers(const std::string& file, long frame, std::uint32_t recorded, std::uint32_t replayed) {
  return file + ": differs from frame " + std::to_string(frame) + ": checkpoint recorded " + Hex(recorded) +
         ", replayed " + Hex(replayed);
}
std::string VerifiedNothingToCompare(const std::string& file, long frames) {
  return file + ": " + Thousands(frames) + (frames == 1 ? " frame" : " frames") +
         " but no checkpoints, so nothing to compare (it was recorded by an older Fennwick, or written by hand)";
}

std::string AtLine(long line, const std::string& why) { return "line " + std::to_string(line) + ": " + why; }
std::string BadFrameNumber(const std::string& word) { return "bad frame number " + Quoted(word); }
std::string FrameGoesBackwards(const std::string& word) { return "frame " + word + " goes backwards"; }
std::string ScriptTooLong(const std::string& word, long largestFrame) {
  return "frame " + word + " is past 24 hours (" + Thousands(largestFrame) +
         " frames), longer than any run the game plays";
}
std::string BackAhead(const std::string& word) { return "frame " + word + " goes back to a frame not yet played"; }
std::string UnexpectedWord(const std::string& word) { return "unexpected " + Quoted(word); }
std::string EndTakesNoArgument() { return "'end' takes no argument"; }
std::string MissingEventWord() { return "missing event word"; }
std::string UnknownEventWord(const std::string& word) { return "unknown word " + Quoted(word); }
std::string BadCode(const std::string& word) { return "bad key or character code " + Quoted(word); }
std::string BadCheckHash(const std::string& word) {
  return "bad checkpoint " + Quoted(word) + ": eight hexadecimal digits expected";
}

std::string NoDisplay(const std::string& display, const std::string& wayland) {
  std::string where;
  if (!display.empty()) where += " DISPLAY=" + display;
  if (!wayland.empty()) where += " WAYLAND_DISPLAY=" + wayland;
  return "no display: no X11 or Wayland display could be opened (" +
         (where.empty() ? std::string("neither DISPLAY nor WAYLAND_DISPLAY is set") : "tried" + where) + ")";
}
std::string CannotOpenWindow(const std::string& why) { return "cannot open a window: " + why; }
std::string CannotRegisterWindow(const std::string& why) { return "Windows would not register the game's window: " + why; }
std::string CannotCreateWindow(const std::string& why) { return "cannot create the window: " + why; }
std::string CannotDrawIntoWindow(const std::string& why) { return "cannot draw into the window: " + why; }
std::string NoCanvas() { return "cannot draw on the page: the page has no canvas with a 2D context"; }
std::string NoDirect3D() { return "Fennwick could not start its display: Direct3D 9 is not available."; }
std::string NoDirect3DDevice(std::uint32_t result) {
  char code[16];
  std::snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(result));
  return std::string("Fennwick could not start its display: Direct3D 9 would not create a device (error ") + code + ").";
}
std::string UnknownBackBuffer(unsigned long format) {
  return "the screen's back buffer has pixel format " + std::to_string(format) +
         ", which the game cannot draw into; nothing is shown";
}
std::string UndescribedBackBuffer() { return "the screen's back buffer would not describe its pixel format; nothing is shown"; }

std::string PictureUnreadable() { return "cannot be read"; }
std::string PictureNotABitmap(const std::string& why) { return "not a bitmap (" + why + ")"; }
std::string PictureRefusedByDecoder() { return PictureNotABitmap("the decoder refused it"); }
std::string NoFolderForPictures() { return "no folder to look for pictures in"; }
std::string CannotTellWorkingFolder(const std::string& why) { return "cannot tell the working folder: " + why; }
std::string CannotEnterPictureFolder(const std::string& folder, const std::string& why) {
  return "cannot enter the pictures folder " + folder + ": " + why;
}
std::string PicturesMissing(std::size_t missing, const std::string& folder, const std::string& example,
                            const std::vector<std::string>& othersTried) {
  std::string text = Plural(missing, "picture file") + " missing in " + folder + ", for example " + example;
  for (std::size_t i = 0; i < othersTried.size(); ++i)
    text += (i == 0 ? "; also looked in " : i + 1 == othersTried.size() ? " and " : ", ") + othersTried[i];
  return text;
}
std::string PlaceWithoutFolder(const std::string& folder) { return folder + " (no such folder)"; }
std::string PlaceMissing(const std::string& folder, std::size_t missing) {
  return folder + " (" + std::to_string(missing) + " missing)";
}
std::string PicturesUnshown(const std::string& missing, std::size_t count, const std::string& folder,
                            const std::vector<std::string>& faults) {
  std::string text = missing.empty() ? "" : missing + "; and ";
  text += Plural(count, "picture file") + " in " + folder + " cannot be shown: ";
  for (std::size_t i = 0; i < faults.size(); ++i) text += (i == 0 ? "" : ", ") + faults[i];
  if (count > faults.size()) text += " and " + std::to_string(count - faults.size()) + " more";
  return text;
}

}  // namespace say

void TellConsole(Tone tone, const std::string& text) {
  if (tone == Tone::answer) {
    std::printf("%s\n", text.c_str());
    std::fflush(stdout);
    return;
  }
  std::fprintf(stderr, "fennwick: %s\n", text.c_str());
  std::fflush(stderr);
}

std::string WrapForBox(const std::string& text, std::size_t width) {
  std::string wrapped;
  std::size_t lineStart = 0;
  while (lineStart <= text.size()) {
    std::size_t lineEnd = text.find('\n', lineStart);
    if (lineEnd == std::string::npos) lineEnd = text.size();
    // The words of one line, greedily, a word longer than the width on a line of its own. A
    // bracketed group of the usage ("[--record FILE]") counts as one word.
    std::size_t column = 0;
    for (std::size_t at = lineStart; at < lineEnd;) {
      std::size_t wordEnd = at;
      for (int depth = 0; wordEnd < lineEnd && (depth > 0 || text[wordEnd] != ' '); ++wordEnd)
        depth += text[wordEnd] == '[' ? 1 : text[wordEnd] == ']' && depth > 0 ? -1 : 0;
      const std::size_t length = wordEnd - at;
      if (column > 0 && column + 1 + length > width) {
        wrapped += '\n';
        column = 0;
      } else if (at > lineStart) {
        wrapped += ' ';
        ++column;
      }
      wrapped.append(text, at, length);
      column += length;
      at = wordEnd + 1;
    }
    if (lineEnd == text.size()) break;
    wrapped += '\n';
    lineStart = lineEnd + 1;
  }
  return wrapped;
}
