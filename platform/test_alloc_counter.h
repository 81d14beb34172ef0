// Counts every heap allocation of a test program through the global
// operator new. Include it in exactly one source file of a test program;
// read the count with test_alloc::Count().
#pragma once

#include <atomic>
#include <cstdlib>
#include <new>

// The replacement pairs malloc with free, which g++ cannot see through once
// it inlines the operators.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

namespace test_alloc {
inline std::atomic<long> g_allocations{0};
inline long Count() { return g_allocations.load(std::memory_order_relaxed); }
}  // namespace test_alloc

void* operator new(size_t size) {
  test_alloc::g_allocations.fetch_add(1, std::memory_order_relaxed);
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
void* operator new[](size_t size) { return ::operator new(size); }
void* operator new(size_t size, const std::nothrow_t&) noexcept {
  test_alloc::g_allocations.fetch_add(1, std::memory_order_relaxed);
  return std::malloc(size ? size : 1);
}
void* operator new[](size_t size, const std::nothrow_t&) noexcept {
  return ::operator new(size, std::nothrow);
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, size_t) noexcept { std::free(p); }
void operator delete[](void* p, size_t) noexcept { std::free(p); }
