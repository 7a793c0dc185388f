#include "engine/growable_buffer.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>
#include <utility>

#include "platform/memory.h"

namespace engine {

GrowableBuffer::~GrowableBuffer() {
  Release();
}

GrowableBuffer::GrowableBuffer(GrowableBuffer&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)),
      capacity_(std::exchange(other.capacity_, 0)),
      large_(std::exchange(other.large_, false)) {}

GrowableBuffer& GrowableBuffer::operator=(GrowableBuffer&& other) noexcept {
  if (this != &other) {
    Release();
    data_ = std::exchange(other.data_, nullptr);
    capacity_ = std::exchange(other.capacity_, 0);
    large_ = std::exchange(other.large_, false);
  }
  return *this;
}

void GrowableBuffer::Release() {
  if (large_) {
    platform::FreeLargeBlock(data_, capacity_);
  } else {
    std::free(data_);
  }
  data_ = nullptr;
  capacity_ = 0;
  large_ = false;
}

void GrowableBuffer::Grow(std::size_t needed, std::size_t used, bool zeroed) {
  if (needed <= capacity_) return;
  if (needed > std::numeric_limits<std::size_t>::max() / 4) throw std::bad_alloc();
  const std::size_t capacity = std::max(needed, std::size_t{256});
  if (capacity < kLargeFrom) {
    char* grown = static_cast<char*>(std::realloc(data_, capacity));
    if (grown == nullptr) throw std::bad_alloc();
    if (zeroed) std::memset(grown + used, 0, capacity - used);
    data_ = grown;
    capacity_ = capacity;
    return;
  }
  // Large blocks come zero-filled from the system.
  const std::size_t rounded =
      (capacity + platform::kLargeBlockAlign - 1) & ~(platform::kLargeBlockAlign - 1);
  char* block = static_cast<char*>(platform::AllocateLargeBlock(rounded));
  if (block == nullptr) throw std::bad_alloc();
  if (used > 0 && data_ != nullptr) std::memcpy(block, data_, used);
  Release();
  data_ = block;
  capacity_ = rounded;
  large_ = true;
}

}  // namespace engine
