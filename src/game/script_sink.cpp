#include "game/script_sink.h"

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
  if (file != nullptr) std::fwrite(text, 1, size, file);
}

void FileSink::Flush() {
  if (file != nullptr) std::fflush(file);
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
