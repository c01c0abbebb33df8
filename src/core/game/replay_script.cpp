#include "core/game/replay_script.h"

#include "core/input/window_messages.h"
#include "core/game/world_state.h"

namespace {

// Appends a number in decimal without printf, which a line written every frame need not carry.
char* PutNumber(char* at, unsigned long value) {
  char digits[24];
  int count = 0;
  do {
    digits[count++] = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value != 0);
  while (count > 0) *at++ = digits[--count];
  return at;
}

char* PutFrame(char* at, long frame) {
  if (frame < 0) {
    *at++ = '-';
    return PutNumber(at, 0ul - static_cast<unsigned long>(frame));
  }
  return PutNumber(at, static_cast<unsigned long>(frame));
}

char* PutWord(char* at, const char* word) {
  while (*word != '\0') *at++ = *word++;
  return at;
}

}  // namespace

bool ScriptableMessage(std::uint32_t message) {
  return message == wm::keyDown || message == wm::keyUp || message == wm::character;
}

void WriteScriptLine(ScriptSink& out, long frame, std::uint32_t message, std::uintptr_t wParam) {
  const char* word = message == wm::keyDown ? " down " : message == wm::keyUp ? " up " : " char ";
  char line[48];
  char* at = PutWord(PutFrame(line, frame), word);
  // The handler reads only the low bits; the script keeps what fits its number range.
  at = PutNumber(at, static_cast<unsigned long>(wParam & 0xFFFF));
  *at++ = '\n';
  out.Write(line, static_cast<std::size_t>(at - line));
}

void WriteScriptEnd(ScriptSink& out, long frame) {
  char line[32];
  char* at = PutWord(PutFrame(line, frame), " end\n");
  out.Write(line, static_cast<std::size_t>(at - line));
}

void WriteScriptBack(ScriptSink& out, long frame) {
  char line[32];
  char* at = PutWord(PutFrame(line, frame), " back\n");
  out.Write(line, static_cast<std::size_t>(at - line));
}

void WriteScriptCheck(ScriptSink& out, long frame, std::uint32_t hash) {
  char line[40];
  char digits[9];
  FormatHash(hash, digits);
  char* at = PutWord(PutWord(PutFrame(line, frame), " check "), digits);
  *at++ = '\n';
  out.Write(line, static_cast<std::size_t>(at - line));
}
