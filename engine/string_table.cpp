#include "engine/string_table.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>
#include <utility>

namespace engine {

namespace {

constexpr std::size_t kMaxBytes = std::numeric_limits<std::uint32_t>::max();

}  // namespace

StringTable::StringTable(std::initializer_list<std::string_view> entries) {
  for (const std::string_view entry : entries) push_back(entry);
}

StringTable::StringTable(const StringTable& other) : ends_(other.ends_) {
  const std::size_t used = ends_.back();
  if (used > 0) {
    GrowArena(used);
    std::memcpy(bytes_.get(), other.bytes_.get(), used);
  }
}

StringTable& StringTable::operator=(const StringTable& other) {
  if (this != &other) {
    StringTable copy(other);
    *this = std::move(copy);
  }
  return *this;
}

StringTable::StringTable(StringTable&& other) noexcept
    : bytes_(std::move(other.bytes_)),
      capacity_(std::exchange(other.capacity_, 0)),
      ends_(std::exchange(other.ends_, std::vector<std::uint32_t>(1, 0))) {}

StringTable& StringTable::operator=(StringTable&& other) noexcept {
  if (this != &other) {
    bytes_ = std::move(other.bytes_);
    capacity_ = std::exchange(other.capacity_, 0);
    ends_ = std::exchange(other.ends_, std::vector<std::uint32_t>(1, 0));
  }
  return *this;
}

void StringTable::GrowArena(std::size_t needed) {
  if (needed <= capacity_) return;
  if (needed > kMaxBytes) throw std::bad_alloc();
  // Half as much again: few reallocations, and large blocks are moved by
  // remapping their pages rather than copying them where the C library can.
  std::size_t capacity = std::max<std::size_t>(needed, capacity_ + capacity_ / 2);
  capacity = std::max<std::size_t>(std::min(capacity, kMaxBytes), 64);
  char* grown = static_cast<char*>(std::realloc(bytes_.get(), capacity));
  if (grown == nullptr) throw std::bad_alloc();
  (void)bytes_.release();
  bytes_.reset(grown);
  capacity_ = capacity;
}

char* StringTable::AppendUninitialized(std::size_t length) {
  const std::size_t start = ends_.back();
  if (length > kMaxBytes - start) throw std::bad_alloc();
  GrowArena(start + length);
  ends_.push_back(static_cast<std::uint32_t>(start + length));
  return bytes_.get() + start;
}

void StringTable::push_back(std::string_view entry) {
  char* to = AppendUninitialized(entry.size());
  if (!entry.empty()) std::memcpy(to, entry.data(), entry.size());
}

void StringTable::Truncate(std::size_t count) {
  if (count < size()) ends_.resize(count + 1);
}

void StringTable::ReserveMore(std::size_t entries, std::size_t bytes) {
  const std::size_t wanted = ends_.size() + entries;
  if (wanted > ends_.capacity()) {
    ends_.reserve(std::max(wanted, ends_.capacity() + ends_.capacity() / 2));
  }
  const std::size_t used = ends_.back();
  if (bytes > kMaxBytes - used) throw std::bad_alloc();
  GrowArena(used + bytes);
}

std::size_t StringTable::FootprintBytes() const {
  return capacity_ + ends_.capacity() * sizeof(std::uint32_t);
}

bool operator==(const StringTable& a, const StringTable& b) {
  return a.ends_ == b.ends_ &&
         (a.ends_.back() == 0 || std::memcmp(a.bytes_.get(), b.bytes_.get(), a.ends_.back()) == 0);
}

bool operator==(const StringTable& a, const std::vector<std::string>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t k = 0; k < b.size(); ++k) {
    if (a[k] != b[k]) return false;
  }
  return true;
}

}  // namespace engine
