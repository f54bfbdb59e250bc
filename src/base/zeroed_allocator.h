// Tables of zeros that cost nothing until they are used.
#pragma once

#include <cstdlib>
#include <memory>
#include <new>
#include <type_traits>
#include <utility>
#include <vector>

namespace base {

// Memory from calloc, which hands out large blocks as fresh zero pages without writing them; and
// value-initialising an element (a zero of an integer or of a struct of integers) writes nothing, the
// memory being zero already. A table of several megabytes built at start-up then touches no page until
// something fills or reads it. Only for tables that keep the size they were built with: a vector that
// shrank and grows again within its capacity would keep the old values there instead of zeros.
template <typename T>
struct ZeroedAllocator {
  using value_type = T;

  ZeroedAllocator() = default;
  template <typename U>
  ZeroedAllocator(const ZeroedAllocator<U>&) {}

  T* allocate(std::size_t count) {
    void* memory = std::calloc(count, sizeof(T));
    if (!memory) throw std::bad_alloc();
    return static_cast<T*>(memory);
  }
  void deallocate(T* memory, std::size_t) { std::free(memory); }

  template <typename U>
  void construct(U*) noexcept {}
  template <typename U, typename... Args>
  void construct(U* at, Args&&... args) {
    ::new (static_cast<void*>(at)) U(std::forward<Args>(args)...);
  }

  friend bool operator==(const ZeroedAllocator&, const ZeroedAllocator&) { return true; }
};

// A table of `count` zeros whose pages are touched only when used.
template <typename T>
using ZeroedTable = std::vector<T, ZeroedAllocator<T>>;

// An array of `count` zero records from calloc, or none when memory runs out: like new T[count](), but a
// large array costs a page only where something is written. For records whose all-zero bytes are their
// value-initialised state (integers, structs of integers).
struct FreeMemory {
  void operator()(void* memory) const { std::free(memory); }
};
template <typename T>
using ZeroedArray = std::unique_ptr<T[], FreeMemory>;

template <typename T>
ZeroedArray<T> allocate_zeroed(std::size_t count) {
  static_assert(std::is_trivially_copyable_v<T> && std::is_trivially_destructible_v<T>);
  return ZeroedArray<T>(static_cast<T*>(std::calloc(count, sizeof(T))));
}

}  // namespace base
