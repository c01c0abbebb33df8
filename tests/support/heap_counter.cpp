#include "heap_counter.h"

#include <SDL.h>

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<std::uint64_t> allocations{0};
std::atomic<std::uint64_t> releases{0};
std::atomic<std::uint64_t> bytes{0};

void Count(std::size_t size) {
  allocations.fetch_add(1, std::memory_order_relaxed);
  bytes.fetch_add(size, std::memory_order_relaxed);
}

void* Allocate(std::size_t size) {
  Count(size);
  return std::malloc(size == 0 ? 1 : size);
}

void* AllocateAligned(std::size_t size, std::align_val_t alignment) {
  Count(size);
  const auto align = static_cast<std::size_t>(alignment);
  return std::aligned_alloc(align, (size + align - 1) / align * align + (size == 0 ? align : 0));
}

void Release(void* p) {
  if (p == nullptr) return;
  releases.fetch_add(1, std::memory_order_relaxed);
  std::free(p);
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

// SDL's allocator must be replaced before SDL allocates anything, so before main.
struct SdlHooks {
  SdlHooks() { SDL_SetMemoryFunctions(CountedMalloc, CountedCalloc, CountedRealloc, Release); }
} sdlHooks;

}  // namespace

HeapActivity HeapSoFar() {
  return HeapActivity{allocations.load(std::memory_order_relaxed),
                      releases.load(std::memory_order_relaxed),
                      bytes.load(std::memory_order_relaxed)};
}

void* operator new(std::size_t size) {
  if (void* p = Allocate(size)) return p;
  throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
  if (void* p = Allocate(size)) return p;
  throw std::bad_alloc();
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void operator delete(void* p) noexcept { Release(p); }
void operator delete[](void* p) noexcept { Release(p); }
void operator delete(void* p, std::size_t) noexcept { Release(p); }
void operator delete[](void* p, std::size_t) noexcept { Release(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { Release(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { Release(p); }
void* operator new(std::size_t size, std::align_val_t alignment) {
  if (void* p = AllocateAligned(size, alignment)) return p;
  throw std::bad_alloc();
}
void* operator new[](std::size_t size, std::align_val_t alignment) {
  if (void* p = AllocateAligned(size, alignment)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p, std::align_val_t) noexcept { Release(p); }
void operator delete[](void* p, std::align_val_t) noexcept { Release(p); }
void operator delete(void* p, std::size_t, std::align_val_t) noexcept { Release(p); }
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept { Release(p); }
