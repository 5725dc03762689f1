// ByteQueue: bytes appended at the back and taken from the front.
//
// The receive and send buffers of the socket object. Taking from the front only moves an
// offset; the bytes are moved down when the dead space passes half the storage, so a
// stream of small reads from a large buffer stays linear.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace quarnel::net {

class ByteQueue {
 public:
  const uint8_t* Data() const { return storage_.data() + head_; }
  size_t Size() const { return tail_ - head_; }
  bool Empty() const { return tail_ == head_; }
  // Room for more bytes without growing.
  size_t Spare() const { return storage_.size() - tail_; }

  void Append(const uint8_t* bytes, size_t count);
  // Space for at least `count` bytes at the back, growing by `grow` when short; fill it
  // and Commit what was written.
  uint8_t* Reserve(size_t count, size_t grow);
  void Commit(size_t count) { tail_ += count; }
  void Consume(size_t count);
  // Empties the queue and gives its storage back.
  void Clear();

 private:
  void Compact();

  std::vector<uint8_t> storage_;
  size_t head_ = 0;
  size_t tail_ = 0;
};

}  // namespace quarnel::net
