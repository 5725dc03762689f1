#include "net/ByteQueue.h"

#include <algorithm>
#include <cstring>

namespace quarnel::net {

void ByteQueue::Append(const uint8_t* bytes, size_t count) {
  if (count == 0) return;
  uint8_t* room = Reserve(count, 2 * (Size() + count));
  std::memcpy(room, bytes, count);
  Commit(count);
}

uint8_t* ByteQueue::Reserve(size_t count, size_t grow) {
  if (Spare() < count && head_ > 0) Compact();
  if (Spare() < count) storage_.resize(tail_ + std::max(count, grow));
  return storage_.data() + tail_;
}

void ByteQueue::Consume(size_t count) {
  head_ += std::min(count, Size());
  if (head_ == tail_) {
    head_ = tail_ = 0;
  } else if (head_ > storage_.size() / 2) {
    Compact();
  }
}

void ByteQueue::Clear() {
  std::vector<uint8_t>().swap(storage_);
  head_ = tail_ = 0;
}

void ByteQueue::Compact() {
  if (head_ == 0) return;
  std::memmove(storage_.data(), storage_.data() + head_, Size());
  tail_ -= head_;
  head_ = 0;
}

}  // namespace quarnel::net
