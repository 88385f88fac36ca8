#include "support/HeapPeak.h"

#include <malloc.h>

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<std::int64_t> inUse{0};
std::atomic<std::int64_t> peak{0};

void* Allocate(std::size_t size) {
  void* p = std::malloc(size == 0 ? 1 : size);
  if (p == nullptr) throw std::bad_alloc();
  const std::int64_t now = inUse += static_cast<std::int64_t>(::malloc_usable_size(p));
  for (std::int64_t seen = peak.load(); now > seen && !peak.compare_exchange_weak(seen, now);) {
  }
  return p;
}

void Release(void* p) noexcept {
  if (p == nullptr) return;
  inUse -= static_cast<std::int64_t>(::malloc_usable_size(p));
  std::free(p);
}

}  // namespace

void* operator new(std::size_t size) { return Allocate(size); }
void* operator new[](std::size_t size) { return Allocate(size); }
void operator delete(void* p) noexcept { Release(p); }
void operator delete[](void* p) noexcept { Release(p); }
void operator delete(void* p, std::size_t) noexcept { Release(p); }
void operator delete[](void* p, std::size_t) noexcept { Release(p); }

namespace qrl::test {

std::int64_t HeapInUse() { return inUse.load(); }

HeapPeak::HeapPeak() : start_(inUse.load()) { peak = start_; }

HeapPeak::~HeapPeak() = default;

std::int64_t HeapPeak::Growth() const { return peak.load() - start_; }

}  // namespace qrl::test
