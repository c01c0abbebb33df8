#include "front/script_reader.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <vector>

#include "core/input/window_messages.h"
#include "front/messages.h"

namespace {

bool ParseNumber(const std::string& word, long low, long high, long& value) {
  if (word.empty()) return false;
  char* end = nullptr;
  errno = 0;
  const long parsed = std::strtol(word.c_str(), &end, 10);
  if (errno != 0 || *end != '\0' || parsed < low || parsed > high) return false;
  value = parsed;
  return true;
}

// Exactly eight hexadecimal digits, as FormatHash writes them (either case is read).
bool ParseHash(const std::string& word, std::uint32_t& hash) {
  if (word.size() != 8) return false;
  std::uint32_t value = 0;
  for (const char c : word) {
    const int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'A' && c <= 'F' ? c - 'A' + 10
                    : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
    if (digit < 0) return false;
    value = value << 4 | static_cast<std::uint32_t>(digit);
  }
  hash = value;
  return true;
}

// The white space that parts a line's words: the C locale's.
bool Blank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

// The next word of line from at, or an empty word when none is left.
std::string NextWord(const std::string& line, std::size_t& at) {
  while (at < line.size() && Blank(line[at])) ++at;
  const std::size_t start = at;
  while (at < line.size() && !Blank(line[at])) ++at;
  return line.substr(start, at - start);
}

}  // namespace

bool ParseReplayScript(const std::string& text, ReplayScript& script, std::string& error, ScriptFault* fault) {
  long lineNumber = 0;
  long previousFrame = 1;
  bool endSeen = false;
  bool goodLines = false;
  for (std::size_t lineStart = 0; lineStart < text.size();) {
    std::size_t lineEnd = text.find('\n', lineStart);
    if (lineEnd == std::string::npos) lineEnd = text.size();
    std::string line = text.substr(lineStart, lineEnd - lineStart);
    const std::size_t thisLine = lineStart;
    lineStart = lineEnd + 1;
    ++lineNumber;
    const std::size_t hash = line.find('#');
    if (hash != std::string::npos) line.erase(hash);
    std::size_t at = 0;
    const std::string frameWord = NextWord(line, at);
    if (frameWord.empty()) continue;
    const std::string verb = NextWord(line, at);
    const std::string argument = NextWord(line, at);
    const std::string extra = NextWord(line, at);
    const auto fail = [&](const std::string& why) {
      error = say::AtLine(lineNumber, why);
      if (fault != nullptr) {
        const std::size_t end = text.find('\n', thisLine);
        *fault = ScriptFault{lineNumber, text.substr(thisLine, end == std::string::npos ? end : end - thisLine),
                             goodLines};
      }
      return false;
    };
    long frame = 0;
    if (!ParseNumber(frameWord, 1, LONG_MAX, frame)) return fail(say::BadFrameNumber(frameWord));
    if (frame > largestScriptFrame) {
      fail(say::ScriptTooLong(frameWord, largestScriptFrame));
      if (fault != nullptr) fault->tooLong = true;
      return false;
    }
    if (!extra.empty()) return fail(say::UnexpectedWord(extra));
    if (verb == "back") {
      // The run went back to this frame and was played on: what it held after it goes.
      if (!argument.empty()) return fail(say::UnexpectedWord(argument));
      if (frame > previousFrame) return fail(say::BackAhead(frameWord));
      const auto after = [frame](const auto& line) { return line.frame > frame; };
      script.events.erase(std::find_if(script.events.begin(), script.events.end(), after), script.events.end());
      script.checks.erase(std::find_if(script.checks.begin(), script.checks.end(), after), script.checks.end());
      script.lastFrame = std::min(script.lastFrame, frame);
      endSeen = false;
      previousFrame = frame;
      goodLines = true;
      continue;
    }
    if (frame < previousFrame) return fail(say::FrameGoesBackwards(frameWord));
    previousFrame = frame;
    if (verb == "end") {
      if (!argument.empty()) return fail(say::EndTakesNoArgument());
      if (!endSeen) script.lastFrame = frame;
      endSeen = true;
      goodLines = true;
      continue;
    }
    if (verb == "check") {
      std::uint32_t hash = 0;
      if (!ParseHash(argument, hash)) return fail(say::BadCheckHash(argument));
      script.checks.push_back(ScriptCheck{frame, hash});
      if (!endSeen && frame > script.lastFrame) script.lastFrame = frame;
      goodLines = true;
      continue;
    }
    std::uint32_t message = 0;
    if (verb == "down") message = wm::keyDown;
    else if (verb == "up") message = wm::keyUp;
    else if (verb == "char") message = wm::character;
    else return fail(verb.empty() ? say::MissingEventWord() : say::UnknownEventWord(verb));
    long code = 0;
    if (!ParseNumber(argument, 0, 65535, code)) return fail(say::BadCode(argument));
    script.events.push_back(ScriptEvent{frame, message, static_cast<std::uintptr_t>(code)});
    if (!endSeen && frame > script.lastFrame) script.lastFrame = frame;
    goodLines = true;
  }
  return true;
}

std::string PlayedOn(const std::string& text) {
  struct Line {
    long frame;  // -1 for a note or a blank line
    std::size_t start, end;
  };
  std::vector<Line> kept;
  for (std::size_t start = 0; start < text.size();) {
    std::size_t end = text.find('\n', start);
    end = end == std::string::npos ? text.size() : end + 1;
    std::string line = text.substr(start, end - start);
    line.erase(std::min(line.find('#'), line.size()));
    std::size_t at = 0;
    long frame = -1;
    if (!ParseNumber(NextWord(line, at), 1, largestScriptFrame, frame)) frame = -1;
    if (frame >= 0 && NextWord(line, at) == "back") {
      kept.erase(std::remove_if(kept.begin(), kept.end(), [frame](const Line& l) { return l.frame > frame; }), kept.end());
    } else {
      kept.push_back(Line{frame, start, end});
    }
    start = end;
  }
  std::string played;
  played.reserve(text.size());
  for (const Line& line : kept) played.append(text, line.start, line.end - line.start);
  return played;
}

bool ParseReplayScript(std::FILE* in, ReplayScript& script, std::string& error, ScriptFault* fault) {
  std::string text;
  char block[4096];
  std::size_t got = 0;
  while ((got = std::fread(block, 1, sizeof block, in)) > 0) {
    // A file far past any run is no recording, and reading it whole could take all the memory.
    if (text.size() + got > largestScriptBytes) {
      error = say::ScriptTooLarge(largestScriptBytes);
      return false;
    }
    text.append(block, got);
  }
  if (std::ferror(in) != 0) {
    const int why = errno;
    error = say::ScriptUnreadable(why);
    if (fault != nullptr) fault->readError = why;
    return false;
  }
  return ParseReplayScript(text, script, error, fault);
}
