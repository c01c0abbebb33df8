// A fresh empty folder under the system temp folder, removed by the destructor. Shared by the
// game's tests and the picture generator's, which link nothing else of the game.
#pragma once

#include <atomic>
#include <chrono>
#include <filesystem>
#include <string>
#include <system_error>

class TempDir {
 public:
  TempDir() {
    static std::atomic<int> counter{0};
    const auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
    // Tests of other checkouts run beside these: a name already taken is never reused.
    do {
      dir = std::filesystem::temp_directory_path() /
            ("fennwick-test-" + std::to_string(ticks) + "-" + std::to_string(counter++));
    } while (!std::filesystem::create_directories(dir));
  }
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
  }
  const std::filesystem::path& path() const { return dir; }

 private:
  std::filesystem::path dir;
};
