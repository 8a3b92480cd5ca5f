// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/GrowingBytes.h"

#include <gtest/gtest.h>
#include <utility>

namespace platform {
namespace {

// Fills bytes [from, to) with a pattern that tells every position apart within 251.
void Fill(GrowingBytes& bytes, std::size_t from, std::size_t to) {
    for (std::size_t i = from; i < to; ++i) bytes.data()[i] = std::uint8_t(i % 251);
}

bool Holds(const GrowingBytes& bytes, std::size_t to) {
    for (std::size_t i = 0; i < to; ++i)
        if (bytes.data()[i] != std::uint8_t(i % 251)) return false;
    return true;
}

TEST(GrowingBytes, KeepsItsBytesWhileGrowingShrinkingAndBeingCopied) {
    GrowingBytes bytes;
    EXPECT_EQ(bytes.size(), 0u);
    // Growing past several mappings' lengths moves the pages, not the bytes' values.
    std::size_t size = 0;
    for (const std::size_t next : {std::size_t(10), std::size_t(3) << 20, std::size_t(9) << 20}) {
        bytes.resize(next);
        Fill(bytes, size, next);
        size = next;
        ASSERT_TRUE(Holds(bytes, size)) << size;
    }
    const std::size_t capacity = bytes.capacity();
    bytes.resize(100); // shrinking keeps the storage
    EXPECT_EQ(bytes.capacity(), capacity);
    bytes.resize(size);
    EXPECT_TRUE(Holds(bytes, size));

    GrowingBytes copy(bytes);
    copy.data()[0] = 99; // a copy has bytes of its own
    EXPECT_EQ(bytes.data()[0], 0);
    copy = bytes;
    EXPECT_EQ(copy.size(), size);
    EXPECT_TRUE(Holds(copy, size));

    GrowingBytes moved(std::move(copy));
    EXPECT_EQ(copy.size(), 0u);
    EXPECT_TRUE(Holds(moved, size));
    moved.clear();
    EXPECT_EQ(moved.size(), 0u);
    EXPECT_EQ(moved.capacity(), 0u);
}

TEST(GrowingBytes, AnImpossibleSizeThrowsAndKeepsTheBytes) {
    GrowingBytes bytes;
    bytes.resize(64);
    Fill(bytes, 0, 64);
    EXPECT_THROW(bytes.resize(~std::size_t(0) / 2), std::bad_alloc);
    EXPECT_EQ(bytes.size(), 64u);
    EXPECT_TRUE(Holds(bytes, 64));
}

} // namespace
} // namespace platform
