// Snapshot strings handed back by a client: whatever they hold, restoring one and then
// working on the collection must neither crash nor read outside the tables.
#include "dataapi/ArrayHandler.h"
#include "dataapi/Bookmark.h"
#include "dataapi/Channels.h"
#include "dataapi/DrawObjects.h"
#include "dataapi/Events.h"
#include "dataapi/Timeline.h"
#include "platform/base/Error.h"

#include <cstdint>
#include <string>

using namespace quarnel;
using namespace quarnel::dataapi;

namespace {

// A string of one character per byte, shaped like a snapshot of rows of `width` bytes
// when the input says so.
std::u16string Snapshot(const uint8_t* data, size_t size, int32_t width, bool whole_rows) {
  std::vector<uint8_t> bytes(data, data + size);
  if (whole_rows && width > 0) {
    size_t rows = bytes.size() / static_cast<size_t>(width);
    bytes.resize(rows * static_cast<size_t>(width));
    bytes.push_back(0);
  }
  return BytesToString(bytes);
}

int32_t Next(int32_t v) { return static_cast<int32_t>(static_cast<uint32_t>(v) + 1); }

template <class F>
void Quietly(F&& f) {
  try {
    f();
  } catch (const Error&) {
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const bool whole = data[0] & 1;
  const uint8_t which = data[1] % 5;
  data += 2;
  size -= 2;
  Ref<Channels> channels = Channels::Create();
  Ref<Events> events = Events::Create();
  switch (which) {
    case 0: {
      events->SetUndoData(Snapshot(data, size, 158, whole));
      int32_t last = events->GetBounds();
      for (int32_t i = -1; i <= last + 1 && i < 64; ++i) {
        EventRecord r = events->Record(i);
        Quietly([&] { events->EventLength(i); });
        Quietly([&] { events->FindLeft(r.network, r.device, r.channel, r.sample_number); });
        Quietly([&] { events->FindRight(r.network, r.device, r.channel, r.sample_number); });
        Quietly([&] { events->MoveGroup(r.network, r.device, r.channel, 0, 0, 1); });
        Quietly([&] { events->SetSampleNumber(i, Next(r.sample_number)); });
        Quietly([&] { events->Add(r.network, r.device, r.channel, r.sample_number, true); });
      }
      Quietly([&] { events->AddMany(std::vector<EventRecord>(3)); });
      Quietly([&] { events->RemoveIf([](const EventRecord& r) { return r.command & 1; }); });
      Quietly([&] { events->RemoveGroup(0, 0, 1); });
      Bookmark::Create()->Refresh(channels, events);
      break;
    }
    case 1: {
      size_t half = size / 2;
      std::u16string lookup = Snapshot(data, half, 52, whole);
      channels->SetUndoData(lookup, Snapshot(data + half, size - half, 1244, whole));
      int32_t last = channels->GetBounds();
      for (int32_t i = -1; i <= last + 1 && i < 16; ++i) {
        Quietly([&] {
          channels->MoveGroup(channels->Network(i), channels->Device(i), channels->Channel(i), 9, 9,
                              9);
        });
        Quietly([&] { channels->Move(i, 0); });
        Quietly([&] { channels->Remove(i); });
        Quietly([&] { channels->Add(1, 2, i, u"n", i); });
      }
      Bookmark::Create()->Refresh(channels, events);
      break;
    }
    case 2: {
      Ref<DrawObjects> d = DrawObjects::Create();
      d->SetUndoData(Snapshot(data, size, 68, whole));
      for (int32_t i = -1; i <= d->GetBounds() + 1 && i < 32; ++i) {
        Quietly([&] { d->MoveGroup(d->Network(i), d->Device(i), d->Channel(i), 1, 1, 1); });
        Quietly([&] { d->RemoveGroup(d->Network(i), d->Device(i), d->Channel(i)); });
        Quietly([&] { d->Add(d->Network(i), d->Device(i), d->Channel(i)); });
      }
      break;
    }
    case 3: {
      Ref<Timeline> t = Timeline::Create();
      t->SetUndoData(Snapshot(data, size, 24, whole));
      for (int32_t i = -1; i <= t->GetBounds() + 1 && i < 32; ++i) {
        Quietly([&] { t->SetSampleNumber(i, Next(t->SampleNumber(i))); });
        Quietly([&] { t->FindLeft(t->SampleNumber(i)); });
        Quietly([&] { t->Add(i); });
      }
      break;
    }
    default: {
      // Text that is no snapshot at all: characters without a byte.
      std::u16string text;
      for (size_t i = 0; i + 1 < size; i += 2) {
        text.push_back(static_cast<char16_t>(data[i] | (data[i + 1] << 8)));
      }
      events->SetUndoData(text);
      std::u16string lookup = text;
      channels->SetUndoData(lookup, text);
      break;
    }
  }
  return 0;
}
