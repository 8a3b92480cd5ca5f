// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Movable memory blocks passed between modules by handle, as a scanner's source manager
// hands images to the program: one module allocates, another locks, reads and frees.
// A handle names a small record; the record names the data, which may move while the
// block is unlocked (GlobalReAlloc). Everything here is inline, so every module that
// includes it (the program and a source manager loaded at run time) manages blocks the
// same way, through the process's one C library.
//
// Large blocks are mapped directly and ask for transparent huge pages: a scan is written
// once from end to end, and 4 KB pages would make that a page fault every 4 KB.
// A handle is trusted to be one of ours; the record's tag catches a freed or foreign
// handle in most cases, and such a handle locks to null.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <sys/mman.h>

namespace platform {

using GlobalHandle = void*;

namespace global_memory_detail {

constexpr std::uint64_t LiveTag = 0x6b636f6c42626c47; // "GlbBlock"
constexpr std::size_t MapThreshold = std::size_t(4) << 20;
constexpr std::size_t HugePage = std::size_t(2) << 20;

struct Block {
    std::uint64_t tag;
    std::size_t size;
    std::size_t capacity; // bytes reserved at data (mapped blocks round up)
    void* data;
    int locks;
    bool mapped;
};

inline Block* Record(GlobalHandle handle) {
    auto* block = static_cast<Block*>(handle);
    return block && block->tag == LiveTag ? block : nullptr;
}

inline std::size_t MappedCapacity(std::size_t size) {
    return (size + HugePage - 1) & ~(HugePage - 1);
}

inline void* Map(std::size_t capacity) {
    void* p = ::mmap(nullptr, capacity, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (p == MAP_FAILED) return nullptr;
    ::madvise(p, capacity, MADV_HUGEPAGE);
    return p;
}

} // namespace global_memory_detail

// A block of size bytes (contents undefined), or null when there is not enough memory.
inline GlobalHandle GlobalAlloc(std::size_t size) {
    using namespace global_memory_detail;
    auto* block = static_cast<Block*>(std::malloc(sizeof(Block)));
    if (!block) return nullptr;
    const bool mapped = size >= MapThreshold;
    const std::size_t capacity = mapped ? MappedCapacity(size) : size;
    void* data = mapped ? Map(capacity) : std::malloc(size ? size : 1);
    if (!data) {
        std::free(block);
        return nullptr;
    }
    *block = Block{LiveTag, size, capacity, data, 0, mapped};
    return block;
}

// The block's data, or null for a handle that is not a live block. Locks nest.
inline void* GlobalLock(GlobalHandle handle) {
    auto* block = global_memory_detail::Record(handle);
    if (!block) return nullptr;
    ++block->locks;
    return block->data;
}

// True while the block stays locked by an outer lock.
inline bool GlobalUnlock(GlobalHandle handle) {
    auto* block = global_memory_detail::Record(handle);
    if (!block || block->locks == 0) return false;
    return --block->locks > 0;
}

inline std::size_t GlobalSize(GlobalHandle handle) {
    auto* block = global_memory_detail::Record(handle);
    return block ? block->size : 0;
}

// Changes the size of an unlocked block, keeping its contents up to the smaller size; the
// data may move. Null (and the block unchanged) when locked or out of memory.
inline GlobalHandle GlobalReAlloc(GlobalHandle handle, std::size_t size) {
    using namespace global_memory_detail;
    auto* block = Record(handle);
    if (!block || block->locks) return nullptr;
    if (block->mapped) {
        const std::size_t capacity = MappedCapacity(size ? size : 1);
        if (capacity != block->capacity) {
            void* p = ::mremap(block->data, block->capacity, capacity, MREMAP_MAYMOVE);
            if (p == MAP_FAILED) return nullptr;
            if (capacity > block->capacity) ::madvise(p, capacity, MADV_HUGEPAGE);
            block->data = p;
            block->capacity = capacity;
        }
    } else if (size >= MapThreshold) {
        void* p = Map(MappedCapacity(size));
        if (!p) return nullptr;
        const std::size_t keep = block->size < size ? block->size : size;
        std::memcpy(p, block->data, keep);
        std::free(block->data);
        block->data = p;
        block->capacity = MappedCapacity(size);
        block->mapped = true;
    } else {
        void* p = std::realloc(block->data, size ? size : 1);
        if (!p) return nullptr;
        block->data = p;
        block->capacity = size;
    }
    block->size = size;
    return block;
}

// Frees the block and its handle; null on success, the handle back if it is not a block.
inline GlobalHandle GlobalFree(GlobalHandle handle) {
    using namespace global_memory_detail;
    auto* block = Record(handle);
    if (!block) return handle;
    if (block->mapped)
        ::munmap(block->data, block->capacity);
    else
        std::free(block->data);
    block->tag = 0;
    std::free(block);
    return nullptr;
}

} // namespace platform
