// Where a replay script is written as it is played: a file on the desktop, memory in the page.
// Plain C files and strings, so the browser's download carries no stream library.
#pragma once

#include <cstddef>
#include <cstdio>
#include <functional>
#include <string>

class ScriptSink {
 public:
  virtual ~ScriptSink() = default;
  virtual void Write(const char* text, std::size_t size) = 0;
  // What is written so far is handed on, so that a crash loses none of it.
  virtual void Flush() {}
  void Write(const std::string& text) { Write(text.data(), text.size()); }
};

// Grows geometrically, so a frame that records a line almost never allocates.
class StringSink : public ScriptSink {
 public:
  void Write(const char* more, std::size_t size) override { text.append(more, size); }
  using ScriptSink::Write;
  std::string text;
};

class FileSink : public ScriptSink {
 public:
  FileSink() = default;
  FileSink(const FileSink&) = delete;
  FileSink& operator=(const FileSink&) = delete;
  ~FileSink() override;
  // Creates or empties the file named in UTF-8; false when it cannot be written.
  bool Open(const std::string& name);
  bool IsOpen() const { return file != nullptr; }
  void Write(const char* text, std::size_t size) override;
  using ScriptSink::Write;
  void Flush() override;
  // The system's reason (an errno value) the first failed write or flush gave, 0 while none
  // has failed: a full disk must not lose a run without a word.
  int Failure() const { return failure; }
  // Called once, at that first failure.
  void WhenFailing(std::function<void(int)> tell) { failing = std::move(tell); }

 private:
  void Fail();

  std::FILE* file = nullptr;
  int failure = 0;
  std::function<void(int)> failing;
};

// Opens a file named in UTF-8 with fopen's mode, on every system; null when it cannot.
std::FILE* OpenUtf8File(const std::string& name, const char* mode);
