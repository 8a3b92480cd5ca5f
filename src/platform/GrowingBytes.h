// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Bytes that grow at the end without being copied: the storage is a mapping of its own,
// which grows by remapping its pages to a larger range. Copying tens of megabytes into
// fresh memory costs a page fault for every page of the copy, which on a virtual machine
// is several times the copy itself; a remap moves no byte. The mapping asks for
// transparent huge pages. Bytes added by a resize hold whatever they hold (zero, or what
// the bytes held before a shrink); the storage is kept when the bytes shrink.

#include <cstddef>
#include <cstdint>
#include <utility>

namespace platform {

class GrowingBytes {
public:
    GrowingBytes() = default;
    GrowingBytes(const GrowingBytes& other);
    GrowingBytes& operator=(const GrowingBytes& other);
    GrowingBytes(GrowingBytes&& other) noexcept { swap(other); }
    GrowingBytes& operator=(GrowingBytes&& other) noexcept {
        GrowingBytes(std::move(other)).swap(*this);
        return *this;
    }
    ~GrowingBytes();

    std::uint8_t* data() { return data_; }
    const std::uint8_t* data() const { return data_; }
    std::size_t size() const { return size_; }
    std::size_t capacity() const { return capacity_; }
    // Throws std::bad_alloc when the storage cannot grow (the bytes are kept then).
    void resize(std::size_t n) {
        if (n > capacity_) Grow(n);
        size_ = n;
    }
    // Gives the storage back.
    void clear() { GrowingBytes().swap(*this); }
    void swap(GrowingBytes& other) noexcept {
        std::swap(data_, other.data_);
        std::swap(size_, other.size_);
        std::swap(capacity_, other.capacity_);
    }

private:
    void Grow(std::size_t n);

    std::uint8_t* data_ = nullptr;
    std::size_t size_ = 0, capacity_ = 0; // capacity_: the mapping's length
};

} // namespace platform
