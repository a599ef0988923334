// Growable buffers whose new elements are left uninitialised: the inflated content and the
// text are written completely right after they grow, so a pass of zeroes would be wasted.
#pragma once

#include <cstdint>
#include <memory>
#include <new>
#include <utility>
#include <vector>

namespace ffedit {

template <typename T>
struct UninitializedAllocator : std::allocator<T> {
  template <typename U>
  struct rebind {
    using other = UninitializedAllocator<U>;
  };
  UninitializedAllocator() = default;
  template <typename U>
  UninitializedAllocator(const UninitializedAllocator<U>&) noexcept {}
  // Growing by resize default-initialises: nothing is written.
  template <typename U>
  void construct(U* p) noexcept {
    ::new (static_cast<void*>(p)) U;
  }
  template <typename U, typename... Args>
  void construct(U* p, Args&&... args) {
    ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
  }
};

using ByteBuffer = std::vector<uint8_t, UninitializedAllocator<uint8_t>>;
// UTF-16 code units in host order.
using TextBuffer = std::vector<char16_t, UninitializedAllocator<char16_t>>;

}  // namespace ffedit
