#include "game/replay_script.h"

#include <cerrno>
#include <cstdlib>
#include <sstream>

#include "app/window_messages.h"

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

}  // namespace

bool ParseReplayScript(std::istream& in, ReplayScript& script, std::string& error) {
  std::string line;
  long lineNumber = 0;
  long previousFrame = 1;
  bool endSeen = false;
  while (std::getline(in, line)) {
    ++lineNumber;
    const std::size_t hash = line.find('#');
    if (hash != std::string::npos) line.erase(hash);
    std::istringstream words(line);
    std::string frameWord, verb, argument, extra;
    if (!(words >> frameWord)) continue;
    words >> verb >> argument >> extra;
    const auto fail = [&](const std::string& why) {
      error = "line " + std::to_string(lineNumber) + ": " + why;
      return false;
    };
    long frame = 0;
    if (!ParseNumber(frameWord, 1, 100000000, frame)) return fail("bad frame number '" + frameWord + "'");
    if (frame < previousFrame) return fail("frame " + frameWord + " goes backwards");
    previousFrame = frame;
    if (!extra.empty()) return fail("unexpected '" + extra + "'");
    if (verb == "end") {
      if (!argument.empty()) return fail("'end' takes no argument");
      if (!endSeen) script.lastFrame = frame;
      endSeen = true;
      continue;
    }
    std::uint32_t message = 0;
    if (verb == "down") message = wm::keyDown;
    else if (verb == "up") message = wm::keyUp;
    else if (verb == "char") message = wm::character;
    else return fail(verb.empty() ? "missing event word" : "unknown word '" + verb + "'");
    long code = 0;
    if (!ParseNumber(argument, 0, 65535, code)) return fail("bad key or character code '" + argument + "'");
    script.events.push_back(ScriptEvent{frame, message, static_cast<std::uintptr_t>(code)});
    if (!endSeen && frame > script.lastFrame) script.lastFrame = frame;
  }
  if (in.bad()) {
    error = "the script could not be read";
    return false;
  }
  return true;
}

bool ScriptableMessage(std::uint32_t message) {
  return message == wm::keyDown || message == wm::keyUp || message == wm::character;
}

void WriteScriptLine(std::ostream& out, long frame, std::uint32_t message, std::uintptr_t wParam) {
  const char* word = message == wm::keyDown ? "down" : message == wm::keyUp ? "up" : "char";
  // The handler reads only the low bits; the script keeps what fits its number range.
  out << frame << ' ' << word << ' ' << (wParam & 0xFFFF) << '\n';
}
