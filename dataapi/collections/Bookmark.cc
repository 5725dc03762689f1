#include "dataapi/Bookmark.h"

#include "platform/base/Error.h"

#include <utility>

namespace quarnel::dataapi {

Ref<Bookmark> Bookmark::Create() { return MakeRef<Bookmark>(); }

int32_t Bookmark::Lookup(const BookmarkTable& table, int32_t index, int32_t sample_number) {
  int32_t bucket = sample_number / kSamplesPerBucket;  // truncated toward zero
  if (table.cells.empty() || bucket < 0 || bucket > kLastBucket || index < 0 ||
      index >= table.channels) {
    return -1;
  }
  return table.cells[static_cast<size_t>(index) * kBuckets + bucket];
}

int32_t Bookmark::FindLeft(int32_t index, int32_t sample_number) const {
  return Lookup(left_, index, sample_number);
}

int32_t Bookmark::FindRight(int32_t index, int32_t sample_number) const {
  return Lookup(right_, index, sample_number);
}

void Bookmark::Refresh(const Ref<Channels>& channels, const Ref<Events>& events) {
  left_ = {};
  right_ = {};
  if (!channels) return;
  const int32_t last = channels->GetBounds();
  if (last < 0) return;
  try {
    const size_t size = static_cast<size_t>(last + 1) * kBuckets;
    left_ = {last + 1, std::vector<int32_t>(size, 0)};
    right_ = {last + 1, std::vector<int32_t>(size, 0)};
  } catch (const std::bad_alloc&) {
    left_ = right_ = {};
    return;
  }
  // Channel 0, the reserved channel, is left at 0.
  for (int32_t i = 1; i <= last; ++i) {
    try {
      int32_t b = -1, e = -1;
      if (events) {
        const int32_t network = channels->Network(i), device = channels->Device(i),
                      channel = channels->Channel(i);
        b = events->FindBegin(network, device, channel);
        e = events->FindEnd(network, device, channel);
      }
      auto bucket = [&](int32_t j) { return events->SampleNumber(j) / kSamplesPerBucket; };
      int32_t* left = left_.cells.data() + static_cast<size_t>(i) * kBuckets;
      int32_t* right = right_.cells.data() + static_cast<size_t>(i) * kBuckets;
      int32_t reached = -1;
      for (int32_t j = b + 1; j <= e; ++j) {
        int32_t bj = bucket(j);
        if (bj > reached) {
          for (int32_t k = reached + 1; k <= bj && k <= kLastBucket; ++k) left[k] = j - 1;
          reached = bj;
        }
      }
      for (int32_t k = reached + 1; k <= kLastBucket; ++k) left[k] = e;
      reached = kLastBucket + 1;
      for (int32_t j = e - 1; j >= b && j >= 0; --j) {
        int32_t bj = bucket(j);
        if (bj < reached) {
          for (int32_t k = reached - 1; k >= bj && k >= 0; --k) {
            if (k <= kLastBucket) right[k] = j + 1;
          }
          reached = bj;
        }
      }
      for (int32_t k = reached - 1; k >= 0; --k) {
        if (k <= kLastBucket) right[k] = b;
      }
    } catch (const Error&) {
      // A failing step is skipped; the rebuild goes on with the next channel.
    }
  }
}

Ref<Bookmark> Bookmark::Clone() const {
  Ref<Bookmark> copy = Create();
  copy->SetTables(left_, right_);
  return copy;
}

void Bookmark::SetTables(BookmarkTable left, BookmarkTable right) {
  left_ = std::move(left);
  right_ = std::move(right);
}

}  // namespace quarnel::dataapi
