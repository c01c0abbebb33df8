// Counts what a test program asks of the heap: through operator new and delete (the game's
// own code and the standard library) and through SDL's allocator (the bitmap decoder).
// Compiling heap_counter.cpp into a program replaces its global operators and installs SDL's
// memory functions before main runs.
#pragma once

#include <cstdint>

struct HeapActivity {
  std::uint64_t allocations = 0;
  std::uint64_t releases = 0;
  std::uint64_t bytes = 0;  // every request added up
};

HeapActivity HeapSoFar();

// What the heap saw between construction and Since().
class HeapWatch {
 public:
  HeapWatch() : start(HeapSoFar()) {}
  HeapActivity Since() const {
    const HeapActivity now = HeapSoFar();
    return HeapActivity{now.allocations - start.allocations, now.releases - start.releases,
                        now.bytes - start.bytes};
  }

 private:
  HeapActivity start;
};
