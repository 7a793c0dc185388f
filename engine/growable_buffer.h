// Bytes that grow, written once where they stand: in the C heap while
// small, in large zero-filled blocks from the system once they pass
// kLargeFrom bytes (which the system may back with large pages, so that
// filling many megabytes does not take a page fault per 4 KiB). Growing
// copies what is used; new room is not initialised unless asked for. The
// room of the string table's blocks and offsets, of the first-match index's
// slots and of the loader's read buffer.
#pragma once

#include <cstddef>

namespace engine {

class GrowableBuffer {
 public:
  static constexpr std::size_t kLargeFrom = std::size_t{256} << 10;

  GrowableBuffer() = default;
  ~GrowableBuffer();
  GrowableBuffer(GrowableBuffer&& other) noexcept;
  GrowableBuffer& operator=(GrowableBuffer&& other) noexcept;
  GrowableBuffer(const GrowableBuffer&) = delete;
  GrowableBuffer& operator=(const GrowableBuffer&) = delete;

  char* data() const { return data_; }
  std::size_t capacity() const { return capacity_; }
  // Room for at least `needed` bytes (exactly that, or a whole number of
  // large blocks), keeping the first `used`; the bytes after them are zero
  // when `zeroed`. Throws std::bad_alloc.
  void Grow(std::size_t needed, std::size_t used, bool zeroed = false);

 private:
  void Release();
  char* data_ = nullptr;
  std::size_t capacity_ = 0;
  bool large_ = false;
};

}  // namespace engine
