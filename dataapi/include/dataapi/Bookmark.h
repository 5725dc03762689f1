// Bookmark: a seek accelerator over channels and events.
//
// For every channel of the list and every bucket of 88,200 samples (buckets 0 to 2000)
// it remembers the event to the left and the event to the right, so a client can jump
// close to the event in force at any time without a search. It reflects the channels
// and events of its last Refresh; any change makes it stale until the next Refresh.
// Lookups are hints for the Events finds; nothing here raises, and no events are raised.
#pragma once

#include "dataapi/Channels.h"
#include "dataapi/Events.h"
#include "dataapi/Identity.h"

#include <cstdint>
#include <vector>

namespace quarnel::dataapi {

// One of the two tables: bucket 0..kLastBucket for each channel 0..channels - 1.
struct BookmarkTable {
  int32_t channels = 0;
  std::vector<int32_t> cells;  // channel-major: cells[channel * kBuckets + bucket]
};

class Bookmark : public RefCounted {
 public:
  static constexpr const Guid& kClsid = kClsidBookmark;
  static constexpr const Guid& kIid = kIidBookmark;
  static constexpr int32_t kLastBucket = 2000;
  static constexpr int32_t kBuckets = kLastBucket + 1;
  static constexpr int32_t kSamplesPerBucket = 88200;

  // A bookmark without tables: every lookup gives -1 until Refresh.
  static Ref<Bookmark> Create();

  // The channel's last event in a bucket before the sample's (its first event when there
  // is none, its last after its last bucket); -1 without tables, for a bucket outside
  // 0..2000 or an index outside the channels.
  int32_t FindLeft(int32_t index, int32_t sample_number) const;
  // The event after the channel's last event whose bucket is at most the sample's (its
  // first event before its first bucket); -1 as for FindLeft.
  int32_t FindRight(int32_t index, int32_t sample_number) const;
  // Rebuilds both tables from the channel list and the events. Never raises: a null
  // object or a failing step is skipped.
  void Refresh(const Ref<Channels>& channels, const Ref<Events>& events);
  Ref<Bookmark> Clone() const;

  // --- Library use.
  const BookmarkTable& LeftTable() const { return left_; }
  const BookmarkTable& RightTable() const { return right_; }
  void SetTables(BookmarkTable left, BookmarkTable right);

 private:
  friend Ref<Bookmark> MakeRef<Bookmark>();
  Bookmark() = default;

  static int32_t Lookup(const BookmarkTable& table, int32_t index, int32_t sample_number);

  BookmarkTable left_;
  BookmarkTable right_;
};

}  // namespace quarnel::dataapi
