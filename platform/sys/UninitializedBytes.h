#pragma once
// A byte vector whose growth does not zero the new bytes: for buffers that a read or an inflation
// fills at once, where zeroing first would touch every fresh page twice.
#include <cstdint>
#include <memory>
#include <new>
#include <utility>
#include <vector>

template <class T>
struct TUninitializedAllocator : std::allocator<T> {
  template <class U>
  struct rebind {
    using other = TUninitializedAllocator<U>;
  };
  TUninitializedAllocator() = default;
  template <class U>
  TUninitializedAllocator(const TUninitializedAllocator<U>&) noexcept {}
  template <class U>
  void construct(U* P) noexcept {
    ::new (static_cast<void*>(P)) U;
  }
  template <class U, class... A>
  void construct(U* P, A&&... Args) {
    ::new (static_cast<void*>(P)) U(std::forward<A>(Args)...);
  }
};

using TUninitializedBytes = std::vector<uint8_t, TUninitializedAllocator<uint8_t>>;
