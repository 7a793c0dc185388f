// VirtualAlloc gives zero-filled memory aligned to 64 KiB; large pages need
// a privilege ordinary users lack, so plain pages it is.
#include <windows.h>

#include "platform/memory.h"

namespace platform {

void* AllocateLargeBlock(std::size_t size) {
  if (size == 0) return nullptr;
  return VirtualAlloc(nullptr, size, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
}

void FreeLargeBlock(void* block, std::size_t) {
  if (block != nullptr) VirtualFree(block, 0, MEM_RELEASE);
}

}  // namespace platform
