#include "platform/memory.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

namespace {

TEST(LargeBlock, IsZeroFilledWritableAndAligned) {
  for (const std::size_t size : {std::size_t{1}, std::size_t{4096}, platform::kLargeBlockAlign,
                                 3 * platform::kLargeBlockAlign + 5}) {
    auto* block = static_cast<unsigned char*>(platform::AllocateLargeBlock(size));
    ASSERT_NE(block, nullptr) << size;
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(block) % 4096, 0u) << size;
    bool zero = true;
    for (std::size_t i = 0; i < size; ++i) zero = zero && block[i] == 0;
    EXPECT_TRUE(zero) << size;
    std::memset(block, 0xA5, size);
    EXPECT_EQ(block[size - 1], 0xA5);
    platform::FreeLargeBlock(block, size);
  }
  EXPECT_EQ(platform::AllocateLargeBlock(0), nullptr);
  platform::FreeLargeBlock(nullptr, 0);
}

}  // namespace
