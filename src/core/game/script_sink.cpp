#include "core/game/script_sink.h"

#include <cerrno>

#ifdef _WIN32
#include <filesystem>
#endif

FileSink::~FileSink() {
  if (file != nullptr) std::fclose(file);
}

bool FileSink::Open(const std::string& name) {
  if (file != nullptr) std::fclose(file);
  file = OpenUtf8File(name, "wb");
  return file != nullptr;
}

void FileSink::Write(const char* text, std::size_t size) {
  if (file == nullptr) return;
  errno = 0;
  if (std::fwrite(text, 1, size, file) != size) Fail();
}

void FileSink::Flush() {
  if (file == nullptr) return;
  errno = 0;
  if (std::fflush(file) != 0) Fail();
}

void FileSink::Fail() {
  if (failure != 0) return;
  // Some systems leave errno unset for a failed stream; the failure is still one.
  failure = errno != 0 ? errno : EIO;
  if (failing) failing(failure);
}

std::FILE* OpenUtf8File(const std::string& name, const char* mode) {
#ifdef _WIN32
  // Windows opens names beyond its code page only when they are widened.
  std::wstring wideMode;
  for (const char* c = mode; *c != '\0'; ++c) wideMode += static_cast<wchar_t>(*c);
  return _wfopen(std::filesystem::u8path(name).c_str(), wideMode.c_str());
#else
  return std::fopen(name.c_str(), mode);
#endif
}
