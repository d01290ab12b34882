#pragma once

#include <cstdint>

// Counts the heap allocations of the whole program, for benchmarks that must
// show what allocates. Linking HeapAllocationCount.cpp replaces the global
// operator new and, with glibc and no sanitizer, malloc, calloc and realloc.
struct HeapAllocationCount {
  std::uint64_t operatorNewCalls = 0;  // calls of any global operator new
  std::uint64_t mallocCalls = 0;       // calls of malloc, calloc and realloc, operator new's included
  bool mallocCounted = false;          // false where malloc cannot be replaced (sanitizers)

  // Every heap allocation seen: malloc's count where it is kept, which
  // includes operator new's, else operator new's.
  std::uint64_t Total() const { return mallocCounted ? mallocCalls : operatorNewCalls; }
};

// The counts since the program started.
HeapAllocationCount HeapAllocationsSoFar();

// The allocations between two readings.
HeapAllocationCount operator-(const HeapAllocationCount& later, const HeapAllocationCount& earlier);
