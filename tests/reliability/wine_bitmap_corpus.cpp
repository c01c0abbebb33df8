// The hostile bitmap corpus through the Windows build's own loading path (the header check,
// then GDI+), for the Windows reliability stage under Wine. Each file is named before it is
// loaded, so a crash or a hang shows which one did it; then a check says whether it loaded as
// the manifest says. At the end, how far the process's peak memory rose above where it started.
//
//   wine_bitmap_corpus CORPUS_DIR
//
// Exits 1 when a file loads otherwise than its manifest says or the peak rose by 64 MB or more.
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <string>

#include "bmp_manifest.h"
#include "check_lines.h"
#include "core/graphics/image_loader.h"

namespace {

constexpr unsigned long long memoryLimit = 64ull << 20;

PROCESS_MEMORY_COUNTERS Memory() {
  PROCESS_MEMORY_COUNTERS counters = {};
  counters.cb = sizeof counters;
  GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
  return counters;
}

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: wine_bitmap_corpus CORPUS_DIR\n");
    return 2;
  }
  const std::wstring dir = std::wstring(argv[1]) + L"\\";
  const auto entries = bmp_manifest::Read(Narrow(dir) + "manifest.txt", "gdiplus");
  if (entries.empty()) {
    std::fprintf(stderr, "no manifest in %s\n", Narrow(dir).c_str());
    return 2;
  }

  const PROCESS_MEMORY_COUNTERS baseline = Memory();
  CheckLines checks("corpus under GDI+");
  int pictures = 0;
  for (const bmp_manifest::Expectation& e : entries) {
    std::printf("loading %s\n", e.name.c_str());
    std::fflush(stdout);
    const Image image = LoadImageFile(dir + std::wstring(e.name.begin(), e.name.end()));
    const std::string problem = bmp_manifest::Mismatch(e, image.width, image.height, image.pixels.get());
    checks.Check(problem.empty(),
                 e.name + ": " + std::to_string(image.width) + " x " + std::to_string(image.height), problem);
    if (image.width > 0) ++pictures;
  }

  const PROCESS_MEMORY_COUNTERS end = Memory();
  const unsigned long long workingSet = end.PeakWorkingSetSize - baseline.WorkingSetSize;
  const unsigned long long pagefile = end.PeakPagefileUsage - baseline.PagefileUsage;
  std::printf("files: %zu, pictures: %d, empty: %zu\n", entries.size(), pictures,
              entries.size() - static_cast<std::size_t>(pictures));
  std::printf("peak above baseline: working set %llu KB, pagefile %llu KB\n", workingSet >> 10, pagefile >> 10);
  checks.Check(workingSet < memoryLimit && pagefile < memoryLimit, "the peak rose by less than 64 MB");
  return checks.Finish();
}
