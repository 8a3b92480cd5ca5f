// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/GrowingBytes.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <sys/mman.h>

namespace platform {

namespace {

constexpr std::size_t HugePage = std::size_t(2) << 20;

} // namespace

GrowingBytes::GrowingBytes(const GrowingBytes& other) {
    resize(other.size_);
    if (size_ != 0) std::memcpy(data_, other.data_, size_);
}

GrowingBytes& GrowingBytes::operator=(const GrowingBytes& other) {
    if (this != &other) GrowingBytes(other).swap(*this);
    return *this;
}

GrowingBytes::~GrowingBytes() {
    if (data_ != nullptr) ::munmap(data_, capacity_);
}

void GrowingBytes::Grow(std::size_t n) {
    // At least doubled, in whole huge pages: the mapping only reserves addresses, and its
    // pages cost nothing until they are first written.
    if (n > PTRDIFF_MAX - HugePage) throw std::bad_alloc();
    const std::size_t wanted = std::max({n, 2 * capacity_, HugePage});
    const std::size_t length = (wanted + HugePage - 1) & ~(HugePage - 1);
    void* p = data_ == nullptr ? ::mmap(nullptr, length, PROT_READ | PROT_WRITE,
                                        MAP_PRIVATE | MAP_ANONYMOUS, -1, 0)
                               : ::mremap(data_, capacity_, length, MREMAP_MAYMOVE);
    if (p == MAP_FAILED) throw std::bad_alloc();
    ::madvise(p, length, MADV_HUGEPAGE);
    data_ = static_cast<std::uint8_t*>(p);
    capacity_ = length;
}

} // namespace platform
