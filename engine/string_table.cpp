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
  ReserveEntries(entries.size());
  for (const std::string_view entry : entries) push_back(entry);
}

StringTable::StringTable(const StringTable& other) {
  ReserveEntries(other.size());
  for (const std::string_view entry : other) push_back(entry);
}

StringTable& StringTable::operator=(const StringTable& other) {
  if (this != &other) {
    StringTable copy(other);
    *this = std::move(copy);
  }
  return *this;
}

StringTable::StringTable(StringTable&& other) noexcept
    : blocks_(std::move(other.blocks_)),
      endsBuffer_(std::move(other.endsBuffer_)),
      ends_(std::exchange(other.ends_, kNoEnds)),
      count_(std::exchange(other.count_, 0)),
      tail_(std::exchange(other.tail_, nullptr)),
      tailRoom_(std::exchange(other.tailRoom_, 0)),
      endsRoom_(std::exchange(other.endsRoom_, 0)) {
  other.blocks_.clear();
}

StringTable& StringTable::operator=(StringTable&& other) noexcept {
  if (this != &other) {
    blocks_ = std::move(other.blocks_);
    other.blocks_.clear();
    endsBuffer_ = std::move(other.endsBuffer_);
    ends_ = std::exchange(other.ends_, kNoEnds);
    count_ = std::exchange(other.count_, 0);
    tail_ = std::exchange(other.tail_, nullptr);
    tailRoom_ = std::exchange(other.tailRoom_, 0);
    endsRoom_ = std::exchange(other.endsRoom_, 0);
  }
  return *this;
}

char* StringTable::AppendAfterGrowing(std::size_t length) {
  if (length > kMaxEntry || count_ >= kMaxEntries) throw std::bad_alloc();
  std::size_t start = ends_[count_];
  const std::size_t block = start >> kBlockShift;
  const std::size_t offset = start & (kBlockSize - 1);
  if (length > 0 && offset + length > kBlockSize) {
    // Does not fit the rest of this block: the next block starts with it.
    start = (block + 1) << kBlockShift;
  }
  if (length > kMaxBytes - start) throw std::bad_alloc();
  const std::size_t at = start >> kBlockShift;
  const std::size_t need = (start & (kBlockSize - 1)) + length;
  if (length > 0) {
    if (at >= blocks_.size()) {
      // Every block but the last is whole, so that entries written after a
      // Truncate always find their room.
      if (!blocks_.empty()) {
        blocks_.back().Grow(kBlockSize, blocks_.back().capacity());
      }
      blocks_.emplace_back();
      // A second block and later ones are whole from the start.
      blocks_.back().Grow(blocks_.size() > 1 ? kBlockSize : need, 0);
    } else if (need > blocks_[at].capacity()) {
      blocks_[at].Grow(std::min(kBlockSize, std::max(need, 2 * blocks_[at].capacity())),
                       start & (kBlockSize - 1));
    }
  }
  ReserveEntries(1);
  WritableEnds()[count_ + 1] = static_cast<std::uint32_t>(start + length);
  ++count_;
  endsRoom_ = std::min(endsBuffer_.capacity() / sizeof(std::uint32_t) - 1, kMaxEntries);
  if (at >= blocks_.size()) {
    tailRoom_ = 0;  // an empty entry and no block yet
    return nullptr;
  }
  const std::size_t end = start + length;
  const std::size_t endInBlock = end - (at << kBlockShift);  // may be the block's very end
  tail_ = blocks_[at].data() + endInBlock;
  // Entries end at most kMaxBytes, and never past the block's room.
  tailRoom_ = std::min(blocks_[at].capacity() - endInBlock, kMaxBytes - end);
  if (length == 0) return nullptr;
  return tail_ - length;
}

void StringTable::push_back(std::string_view entry) {
  char* to = AppendUninitialized(entry.size());
  if (!entry.empty()) std::memcpy(to, entry.data(), entry.size());
}

void StringTable::AppendTable(StringTable&& other) {
  if (other.count_ == 0) return;
  if (count_ == 0) {
    *this = std::move(other);
    return;
  }
  if (other.count_ > kMaxEntries - count_) throw std::bad_alloc();
  const std::uint32_t ownEnd = ends_[count_];
  // The other table's blocks follow this one's, each where a block of this
  // one would start: its offsets move by that much. Its leading empty
  // entries end where this table's last one does.
  const std::size_t base = other.blocks_.empty() ? 0 : blocks_.size() << kBlockShift;
  if (other.ends_[other.count_] > kMaxBytes - base) throw std::bad_alloc();
  ReserveEntries(other.count_);
  blocks_.reserve(blocks_.size() + other.blocks_.size());
  // Every block but the last is whole.
  if (!other.blocks_.empty() && !blocks_.empty()) {
    blocks_.back().Grow(kBlockSize, blocks_.back().capacity());
  }
  std::uint32_t* ends = WritableEnds() + count_;
  for (std::size_t k = 1; k <= other.count_; ++k) {
    const std::uint32_t end = other.ends_[k];
    ends[k] = end == 0 ? ownEnd : static_cast<std::uint32_t>(base + end);
  }
  for (GrowableBuffer& block : other.blocks_) blocks_.push_back(std::move(block));
  count_ += other.count_;
  // The next append finds its room the long way.
  tail_ = nullptr;
  tailRoom_ = 0;
  endsRoom_ = 0;
  other = StringTable();
}

void StringTable::Truncate(std::size_t count) {
  if (count < count_) {
    count_ = count;
    tailRoom_ = 0;
  }
}

void StringTable::ReserveEntries(std::size_t entries) {
  const std::size_t wanted = (count_ + 1 + entries) * sizeof(std::uint32_t);
  if (wanted <= endsBuffer_.capacity()) return;
  const bool fresh = endsBuffer_.data() == nullptr;
  endsBuffer_.Grow(std::max(wanted, endsBuffer_.capacity() + endsBuffer_.capacity() / 2),
                   fresh ? 0 : (count_ + 1) * sizeof(std::uint32_t));
  if (fresh) WritableEnds()[0] = 0;
  ends_ = WritableEnds();
}

std::size_t StringTable::FootprintBytes() const {
  std::size_t bytes = endsBuffer_.capacity();
  for (const GrowableBuffer& block : blocks_) bytes += block.capacity();
  return bytes;
}

bool operator==(const StringTable& a, const StringTable& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t k = 0; k < a.size(); ++k) {
    if (a[k] != b[k]) return false;
  }
  return true;
}

}  // namespace engine
