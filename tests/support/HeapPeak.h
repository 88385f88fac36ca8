#pragma once
// The peak of the memory held through operator new, for tests that bound what a piece of work
// may allocate. Only a test program that links HeapPeak.cpp counts; it replaces the global
// operators new and delete.

#include <cstdint>

namespace qrl::test {

// Bytes now held through operator new.
std::int64_t HeapInUse();

// Records the highest HeapInUse over its lifetime, from the moment it is made.
class HeapPeak {
 public:
  HeapPeak();
  ~HeapPeak();
  HeapPeak(const HeapPeak&) = delete;
  HeapPeak& operator=(const HeapPeak&) = delete;

  // The highest amount held since construction, less what was held then.
  std::int64_t Growth() const;

 private:
  std::int64_t start_;
};

}  // namespace qrl::test
