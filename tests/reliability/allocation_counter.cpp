#include "allocation_counter.h"

#include <SDL.h>

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<std::uint64_t> calls{0};
std::atomic<std::uint64_t> bytes{0};

void Count(std::size_t size) {
  calls.fetch_add(1, std::memory_order_relaxed);
  bytes.fetch_add(size, std::memory_order_relaxed);
}

void* CountedMalloc(std::size_t size) {
  Count(size);
  return std::malloc(size);
}

void* CountedCalloc(std::size_t count, std::size_t size) {
  Count(count * size);
  return std::calloc(count, size);
}

void* CountedRealloc(void* pointer, std::size_t size) {
  Count(size);
  return std::realloc(pointer, size);
}

void CountedFree(void* pointer) { std::free(pointer); }

void* New(std::size_t size) {
  Count(size);
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}

// SDL's allocator must be replaced before SDL allocates anything, so before main.
struct SdlHooks {
  SdlHooks() { SDL_SetMemoryFunctions(CountedMalloc, CountedCalloc, CountedRealloc, CountedFree); }
} sdlHooks;

}  // namespace

AllocationCount AllocationsSoFar() {
  return AllocationCount{calls.load(std::memory_order_relaxed), bytes.load(std::memory_order_relaxed)};
}

void* operator new(std::size_t size) { return New(size); }
void* operator new[](std::size_t size) { return New(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  Count(size);
  return std::malloc(size == 0 ? 1 : size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  Count(size);
  return std::malloc(size == 0 ? 1 : size);
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }
