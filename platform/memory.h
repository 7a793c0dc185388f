// Large blocks of memory straight from the system, for tables of many
// megabytes that are filled once: zero-filled, page-aligned (on 2 MiB here),
// and where the system offers it backed by large pages, so that filling them
// does not take one page fault per 4 KiB.
#pragma once

#include <cstddef>

namespace platform {

// The alignment large pages need where they are used.
inline constexpr std::size_t kLargeBlockAlign = std::size_t{2} << 20;

// `size` bytes, all zero; null when the system has no room.
void* AllocateLargeBlock(std::size_t size);
// Gives back a block from AllocateLargeBlock of that `size`; null is ignored.
void FreeLargeBlock(void* block, std::size_t size);

}  // namespace platform
