#pragma once
// Memory for a table's large arrays. A block of a megabyte or more is mapped apart, on a
// 2 MB boundary and rounded up to whole 2 MB, and marked for huge pages where the system
// allows them: filling a table then costs a few page faults instead of one per 4 KB. Where
// it does not, the block is ordinary memory.
#include <sys/mman.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>

namespace quorvane {

template <class T>
struct BigAllocator {
  using value_type = T;
  static constexpr std::size_t kBig = std::size_t{1} << 20, kHuge = std::size_t{2} << 20;

  BigAllocator() = default;
  template <class U>
  BigAllocator(const BigAllocator<U>&) {}

  T* allocate(std::size_t n) {
    if (n > SIZE_MAX / sizeof(T)) throw std::bad_array_new_length();
    const std::size_t bytes = n * sizeof(T);
    if (bytes < kBig) return std::allocator<T>().allocate(n);
    const std::size_t size = rounded(bytes);
    void* raw =
        ::mmap(nullptr, size + kHuge, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw == MAP_FAILED) throw std::bad_alloc();
    // Keep the 2 MB-aligned part; give back what lies before and after it.
    const auto start = reinterpret_cast<std::uintptr_t>(raw);
    const std::uintptr_t aligned = (start + kHuge - 1) & ~(kHuge - 1);
    if (aligned > start) ::munmap(raw, aligned - start);
    const std::uintptr_t end = start + size + kHuge;
    if (end > aligned + size)
      ::munmap(reinterpret_cast<void*>(aligned + size), end - aligned - size);
    ::madvise(reinterpret_cast<void*>(aligned), size, MADV_HUGEPAGE);
    return reinterpret_cast<T*>(aligned);
  }
  void deallocate(T* p, std::size_t n) {
    const std::size_t bytes = n * sizeof(T);
    if (bytes < kBig)
      std::allocator<T>().deallocate(p, n);
    else
      ::munmap(p, rounded(bytes));
  }

  template <class U>
  bool operator==(const BigAllocator<U>&) const {
    return true;
  }

 private:
  static std::size_t rounded(std::size_t bytes) { return (bytes + kHuge - 1) & ~(kHuge - 1); }
};

}  // namespace quorvane
