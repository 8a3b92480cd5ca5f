// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// An allocator for large arrays that are walked in every direction (bit planes) or filled
// by the million (point lists): blocks of 1 MB or more are aligned to 2 MB and ask for
// transparent huge pages before they are first touched, so that a walk down the rows does
// not miss the TLB at nearly every step, and fresh memory costs a fault every 2 MB instead
// of every 4 kB (on a virtual machine a fault costs some 15 µs, so that 4 kB pages are
// cleared at a tenth of memory speed). Smaller blocks come from the heap as usual.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <sys/mman.h>

namespace platform {

template <class T> struct HugePageAllocator {
    using value_type = T;
    static constexpr std::size_t Huge = std::size_t(2) << 20;
    static constexpr std::size_t Large = Huge / 2;

    HugePageAllocator() = default;
    template <class U> HugePageAllocator(const HugePageAllocator<U>&) noexcept {}

    // Below the largest pointer difference, with room to round up to whole huge pages.
    static constexpr std::size_t max_size() noexcept { return (PTRDIFF_MAX - Huge) / sizeof(T); }

    T* allocate(std::size_t n) {
        if (n > max_size()) throw std::bad_array_new_length();
        const std::size_t bytes = n * sizeof(T);
        if (bytes < Large) {
            if (void* p = std::malloc(bytes == 0 ? 1 : bytes)) return static_cast<T*>(p);
            throw std::bad_alloc();
        }
        const std::size_t rounded = (bytes + Huge - 1) & ~(Huge - 1);
        void* p = std::aligned_alloc(Huge, rounded);
        if (p == nullptr) throw std::bad_alloc();
        ::madvise(p, rounded, MADV_HUGEPAGE);
        return static_cast<T*>(p);
    }
    void deallocate(T* p, std::size_t) noexcept { std::free(p); }

    template <class U> bool operator==(const HugePageAllocator<U>&) const noexcept { return true; }
};

} // namespace platform
