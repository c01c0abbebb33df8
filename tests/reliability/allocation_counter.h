// Counts what a test program asks of the heap: through operator new (the game's own code and
// the standard library) and through SDL's allocator (the bitmap decoder). Linking this file
// into a program replaces its global operator new and delete and installs SDL's memory
// functions before main runs.
#pragma once

#include <cstdint>

struct AllocationCount {
  std::uint64_t calls = 0;
  std::uint64_t bytes = 0;  // every request added up, frees not subtracted
};

AllocationCount AllocationsSoFar();

// The allocations made between construction and Since().
class AllocationWatch {
 public:
  AllocationWatch() : start(AllocationsSoFar()) {}
  AllocationCount Since() const {
    const AllocationCount now = AllocationsSoFar();
    return AllocationCount{now.calls - start.calls, now.bytes - start.bytes};
  }

 private:
  AllocationCount start;
};
