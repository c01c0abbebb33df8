// fennwick-soak: runs the real game world, headless, under seeded random keyboard input for
// as many seeds and frames as asked, and checks after every frame that nothing has gone wrong.
// A seed that breaks an invariant is written out as a fennwick-replay script.
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "soak_invariants.h"
#include "soak_run.h"

namespace {

constexpr int usageError = 2;

const char* const usage =
    "usage: fennwick-soak [--seeds N] [--frames N] [--first-seed S] [--jobs J] [--assets DIR]\n"
    "                     [--save DIR] [--verbose]\n"
    "       fennwick-soak --script SEED [--frames N]   (prints the seed's replay script)\n";

// No frame takes anywhere near this long, even under the sanitizers; one that does is stuck.
constexpr unsigned hangSeconds = 30;

struct Options {
  long seeds = 100;
  long frames = 10000;
  std::uint64_t firstSeed = 1;
  long jobs = 1;
  std::string assets;
  std::string save = ".";
  bool verbose = false;
  bool scriptOnly = false;
};

// What one process found; several are added up when the seeds are shared between processes.
struct Totals {
  long frames = 0;
  long seeds = 0;
  long violations = 0;
  int mostHits = 0;
  StateFrames stateFrames{};
  VisitedCells visited;
  std::vector<std::string> reports;  // one line per failed seed

  void Add(const Totals& other) {
    frames += other.frames;
    seeds += other.seeds;
    violations += other.violations;
    if (other.mostHits > mostHits) mostHits = other.mostHits;
    for (std::size_t i = 0; i < stateFrames.size(); ++i) stateFrames[i] += other.stateFrames[i];
    visited |= other.visited;
    reports.insert(reports.end(), other.reports.begin(), other.reports.end());
  }
};

bool ParseNumber(const char* text, long long low, long long high, long long& value) {
  char* end = nullptr;
  errno = 0;
  const long long parsed = std::strtoll(text, &end, 10);
  if (end == text || *end != '\0' || errno != 0 || parsed < low || parsed > high) return false;
  value = parsed;
  return true;
}

bool ParseOptions(int argc, char** argv, Options& options) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool hasValue = i + 1 < argc;
    long long value = 0;
    const auto number = [&](long long low, long long high) {
      return hasValue && ParseNumber(argv[i + 1], low, high, value);
    };
    if (arg == "--seeds" && number(1, 100000000)) {
      options.seeds = static_cast<long>(value);
    } else if (arg == "--frames" && number(1, 100000000)) {
      options.frames = static_cast<long>(value);
    } else if (arg == "--first-seed" && number(0, 1000000000000LL)) {
      options.firstSeed = static_cast<std::uint64_t>(value);
    } else if (arg == "--script" && number(0, 1000000000000LL)) {
      options.firstSeed = static_cast<std::uint64_t>(value);
      options.scriptOnly = true;
    } else if (arg == "--jobs" && number(1, 64)) {
      options.jobs = static_cast<long>(value);
    } else if (arg == "--assets" && hasValue) {
      options.assets = argv[i + 1];
    } else if (arg == "--save" && hasValue) {
      options.save = argv[i + 1];
    } else if (arg == "--verbose") {
      options.verbose = true;
      continue;
    } else {
      std::fprintf(stderr, "fennwick-soak: bad or incomplete option '%s'\n%s", arg.c_str(), usage);
      return false;
    }
    ++i;
  }
#ifdef _WIN32
  options.jobs = 1;  // the seeds are shared out with fork, which Windows lacks
#endif
  return true;
}

// The watchdog: the seed and frame now running, and what to say if it never finishes.
std::atomic<std::uint64_t> runningSeed{0};
std::atomic<long> runningFrame{0};

#ifndef _WIN32
void AppendNumber(char*& out, std::uint64_t value) {
  char digits[24];
  int n = 0;
  do digits[n++] = static_cast<char>('0' + value % 10); while ((value /= 10) != 0);
  while (n > 0) *out++ = digits[--n];
}

void AppendText(char*& out, const char* text) {
  while (*text != '\0') *out++ = *text++;
}

// Only async-signal-safe calls in here.
void OnHang(int) {
  char message[256];
  char* out = message;
  const std::uint64_t seed = runningSeed.load();
  const auto frame = static_cast<std::uint64_t>(runningFrame.load());
  AppendText(out, "fennwick-soak: seed ");
  AppendNumber(out, seed);
  AppendText(out, " hung in frame ");
  AppendNumber(out, frame);
  AppendText(out, "; its script: fennwick-soak --script ");
  AppendNumber(out, seed);
  AppendText(out, " --frames ");
  AppendNumber(out, frame);
  *out++ = '\n';
  if (write(STDERR_FILENO, message, static_cast<std::size_t>(out - message)) < 0) _exit(4);
  _exit(4);
}
#endif

void Heartbeat(std::uint64_t seed, long frame) {
  runningSeed.store(seed);
  runningFrame.store(frame);
#ifndef _WIN32
  alarm(hangSeconds);
#endif
}

std::string SaveFailure(const Options& options, const SoakSeedResult& result) {
  const std::filesystem::path file =
      std::filesystem::path(options.save) / ("soak-failure-seed-" + std::to_string(result.seed) + ".txt");
  std::ofstream out(file, std::ios::binary);
  out << "# frame " << result.failedFrame << ": " << result.violation << "\n" << result.script;
  return out ? file.string() : std::string("(could not write ") + file.string() + ")";
}

Totals RunSeeds(const Options& options, long job) {
  Totals totals;
  for (long i = job; i < options.seeds; i += options.jobs) {
    const SoakHooks hooks{FindViolation, Heartbeat};
    const SoakSeedResult result =
        RunSoakSeed(options.firstSeed + static_cast<std::uint64_t>(i), options.frames, false, &hooks);
    totals.frames += result.frames;
    ++totals.seeds;
    if (result.mostHits > totals.mostHits) totals.mostHits = result.mostHits;
    for (std::size_t s = 0; s < totals.stateFrames.size(); ++s) totals.stateFrames[s] += result.stateFrames[s];
    totals.visited |= result.visited;
    if (options.verbose)
      std::fprintf(stderr, "seed %llu: %ld frames, %d most hits%s%s\n",
                   static_cast<unsigned long long>(result.seed), result.frames, result.mostHits,
                   result.failedFrame ? ", FAILED: " : "", result.violation.c_str());
    if (result.failedFrame == 0) continue;
    ++totals.violations;
    totals.reports.push_back("seed " + std::to_string(result.seed) + ", frame " +
                             std::to_string(result.failedFrame) + ": " + result.violation +
                             "; replay script " + SaveFailure(options, result));
  }
  return totals;
}

// The line a worker process hands back to the parent.
std::string Serialise(const Totals& t) {
  std::ostringstream out;
  out << t.frames << ' ' << t.seeds << ' ' << t.violations << ' ' << t.mostHits;
  for (long s : t.stateFrames) out << ' ' << s;
  out << ' ' << t.visited.to_string() << '\n';
  for (const std::string& report : t.reports) out << report << '\n';
  return out.str();
}

bool Deserialise(const std::string& text, Totals& t) {
  std::istringstream in(text);
  std::string cells;
  in >> t.frames >> t.seeds >> t.violations >> t.mostHits;
  for (long& s : t.stateFrames) in >> s;
  in >> cells;
  if (!in || cells.size() != t.visited.size()) return false;
  t.visited = VisitedCells(cells);
  std::string line;
  std::getline(in, line);
  while (std::getline(in, line))
    if (!line.empty()) t.reports.push_back(line);
  return true;
}

#ifndef _WIN32
// Shares the seeds out between worker processes. Each needs a process of its own: the keyboard
// the game reads is process-wide.
bool RunInWorkers(const Options& options, Totals& totals) {
  struct Worker {
    pid_t pid;
    int fd;
  };
  std::vector<Worker> workers;
  std::fflush(nullptr);
  for (long job = 0; job < options.jobs; ++job) {
    int ends[2];
    if (pipe(ends) != 0) return false;
    const pid_t pid = fork();
    if (pid < 0) return false;
    if (pid == 0) {
      close(ends[0]);
      const std::string text = Serialise(RunSeeds(options, job));
      std::size_t written = 0;
      while (written < text.size()) {
        const ssize_t n = write(ends[1], text.data() + written, text.size() - written);
        if (n <= 0) _exit(3);
        written += static_cast<std::size_t>(n);
      }
      close(ends[1]);
      std::exit(0);  // not _exit: a leak checker, when there is one, still gets its say
    }
    close(ends[1]);
    workers.push_back({pid, ends[0]});
  }
  bool ok = true;
  for (const Worker& worker : workers) {
    std::string text;
    char buffer[4096];
    ssize_t n;
    while ((n = read(worker.fd, buffer, sizeof buffer)) > 0) text.append(buffer, static_cast<std::size_t>(n));
    close(worker.fd);
    int status = 0;
    waitpid(worker.pid, &status, 0);
    Totals part;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || !Deserialise(text, part)) {
      // A worker that died took its seeds with it; that is a failure in itself.
      std::fprintf(stderr, "fennwick-soak: a worker process failed (status %d)\n", status);
      ok = false;
      continue;
    }
    totals.Add(part);
  }
  return ok;
}
#endif

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!ParseOptions(argc, argv, options)) return usageError;
  if (options.scriptOnly) {
    std::fputs(SoakScript(options.firstSeed, options.frames).c_str(), stdout);
    return 0;
  }
#ifndef _WIN32
  std::signal(SIGALRM, OnHang);
#endif

  std::error_code failure;
  options.save = std::filesystem::absolute(options.save, failure).string();
  if (!options.assets.empty()) {
    std::filesystem::current_path(options.assets, failure);
    if (failure) {
      std::fprintf(stderr, "fennwick-soak: cannot change to --assets folder '%s': %s\n",
                   options.assets.c_str(), failure.message().c_str());
      return usageError;
    }
  }

  Totals totals;
  bool workersOk = true;
#ifndef _WIN32
  if (options.jobs > 1) workersOk = RunInWorkers(options, totals);
  else totals = RunSeeds(options, 0);
#else
  totals = RunSeeds(options, 0);
#endif

  for (const std::string& report : totals.reports) std::printf("violation: %s\n", report.c_str());
  const long all = totals.frames > 0 ? totals.frames : 1;
  std::printf("states: standing %.1f%%, running %.1f%%, jumping %.1f%%, repel %.1f%%; cells visited: %zu\n",
              100.0 * static_cast<double>(totals.stateFrames[0]) / static_cast<double>(all),
              100.0 * static_cast<double>(totals.stateFrames[1]) / static_cast<double>(all),
              100.0 * static_cast<double>(totals.stateFrames[2]) / static_cast<double>(all),
              100.0 * static_cast<double>(totals.stateFrames[3]) / static_cast<double>(all),
              totals.visited.count());
  std::printf("frames: %ld, seeds: %ld, invariant violations: %ld, most hits in one frame: %d\n",
              totals.frames, totals.seeds, totals.violations, totals.mostHits);
  std::fflush(stdout);
  return totals.violations == 0 && workersOk ? 0 : 1;
}
