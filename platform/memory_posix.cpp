// Anonymous mappings, aligned to 2 MiB and advised to use transparent huge
// pages: one fault fills 2 MiB instead of 4 KiB.
#include <sys/mman.h>

#include <cstdint>

#include "platform/memory.h"

namespace platform {

void* AllocateLargeBlock(std::size_t size) {
  if (size == 0 || size > SIZE_MAX - kLargeBlockAlign) return nullptr;
  // Map enough to cut an aligned block out of, and give the ends back.
  const std::size_t mapped = size + kLargeBlockAlign;
  void* raw = mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (raw == MAP_FAILED) return nullptr;
  const auto start = reinterpret_cast<std::uintptr_t>(raw);
  const std::uintptr_t aligned = (start + kLargeBlockAlign - 1) & ~(kLargeBlockAlign - 1);
  if (aligned > start) munmap(raw, aligned - start);
  const std::uintptr_t end = start + mapped;
  if (end > aligned + size) munmap(reinterpret_cast<void*>(aligned + size), end - aligned - size);
  void* block = reinterpret_cast<void*>(aligned);
#ifdef MADV_HUGEPAGE
  (void)madvise(block, size, MADV_HUGEPAGE);
#endif
  return block;
}

void FreeLargeBlock(void* block, std::size_t size) {
  if (block != nullptr) munmap(block, size);
}

}  // namespace platform
