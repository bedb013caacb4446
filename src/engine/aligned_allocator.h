// An allocator for arrays that kernels read by whole cache lines: the
// first element starts a line, so a run of eight doubles from a multiple of
// eight never straddles two.
#pragma once

#include <cstddef>
#include <new>

namespace nodelyx {

inline constexpr std::size_t kCacheLine = 64;

template <typename T>
struct CacheLineAllocator {
  using value_type = T;
  CacheLineAllocator() = default;
  template <typename U>
  CacheLineAllocator(const CacheLineAllocator<U>&) {}  // NOLINT: rebinding converts implicitly
  T* allocate(std::size_t n) {
    return static_cast<T*>(::operator new (n * sizeof(T), std::align_val_t{kCacheLine}));
  }
  void deallocate(T* p, std::size_t) { ::operator delete (p, std::align_val_t{kCacheLine}); }
  template <typename U>
  bool operator==(const CacheLineAllocator<U>&) const {
    return true;
  }
};

}  // namespace nodelyx
