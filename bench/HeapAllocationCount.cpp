#include "HeapAllocationCount.h"

#include <atomic>
#include <cstdlib>
#include <new>

// The sanitizers bring their own malloc; replacing it under them would hand
// their free a block they never gave out.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define TESSARAMOND_COUNT_MALLOC 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define TESSARAMOND_COUNT_MALLOC 0
#endif
#endif
#if !defined(TESSARAMOND_COUNT_MALLOC)
#if defined(__GLIBC__)
#define TESSARAMOND_COUNT_MALLOC 1
#else
#define TESSARAMOND_COUNT_MALLOC 0
#endif
#endif

namespace {

std::atomic<std::uint64_t> newCount{0};
std::atomic<std::uint64_t> mallocCount{0};

void* CountedNew(std::size_t size) {
  newCount.fetch_add(1, std::memory_order_relaxed);
  if (void* block = std::malloc(size != 0 ? size : 1)) return block;
  throw std::bad_alloc();
}

void* CountedAlignedNew(std::size_t size, std::align_val_t alignment) {
  newCount.fetch_add(1, std::memory_order_relaxed);
  const auto align = static_cast<std::size_t>(alignment);
  // aligned_alloc wants a size that is a multiple of the alignment.
  const std::size_t rounded = (size + align - 1) / align * align;
  if (void* block = std::aligned_alloc(align, rounded != 0 ? rounded : align)) return block;
  throw std::bad_alloc();
}

}  // namespace

#if TESSARAMOND_COUNT_MALLOC
// glibc lets a program replace malloc by defining it; its own allocator stays
// reachable under these names, so the blocks are glibc's and its free,
// memalign and the rest handle them as always.
extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* block, std::size_t size);

void* malloc(std::size_t size) {
  mallocCount.fetch_add(1, std::memory_order_relaxed);
  return __libc_malloc(size);
}
void* calloc(std::size_t count, std::size_t size) {
  mallocCount.fetch_add(1, std::memory_order_relaxed);
  return __libc_calloc(count, size);
}
void* realloc(void* block, std::size_t size) {
  mallocCount.fetch_add(1, std::memory_order_relaxed);
  return __libc_realloc(block, size);
}
}
#endif

void* operator new(std::size_t size) { return CountedNew(size); }
void* operator new[](std::size_t size) { return CountedNew(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  try {
    return CountedNew(size);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  try {
    return CountedNew(size);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}
void* operator new(std::size_t size, std::align_val_t alignment) { return CountedAlignedNew(size, alignment); }
void* operator new[](std::size_t size, std::align_val_t alignment) {
  return CountedAlignedNew(size, alignment);
}
void operator delete(void* block) noexcept { std::free(block); }
void operator delete[](void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }
void operator delete[](void* block, std::size_t) noexcept { std::free(block); }
void operator delete(void* block, std::align_val_t) noexcept { std::free(block); }
void operator delete[](void* block, std::align_val_t) noexcept { std::free(block); }
void operator delete(void* block, std::size_t, std::align_val_t) noexcept { std::free(block); }
void operator delete[](void* block, std::size_t, std::align_val_t) noexcept { std::free(block); }

HeapAllocationCount HeapAllocationsSoFar() {
  HeapAllocationCount count;
  count.operatorNewCalls = newCount.load(std::memory_order_relaxed);
  count.mallocCalls = mallocCount.load(std::memory_order_relaxed);
  count.mallocCounted = TESSARAMOND_COUNT_MALLOC != 0;
  return count;
}

HeapAllocationCount operator-(const HeapAllocationCount& later, const HeapAllocationCount& earlier) {
  HeapAllocationCount difference = later;
  difference.operatorNewCalls -= earlier.operatorNewCalls;
  difference.mallocCalls -= earlier.mallocCalls;
  return difference;
}
