// Speed and memory of the sequence tables on whole-sequence sizes.
//
//   tables_bench [events]     default 1,000,000
//
// Prints one line per measurement with its target.
#include "bench/Stopwatch.h"
#include "dataapi/Bookmark.h"
#include "dataapi/Channels.h"
#include "dataapi/Events.h"
#include "platform/recordset/Recordset.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <random>
#include <string>
#include <vector>

using namespace quarnel;
using namespace quarnel::dataapi;

using quarnel::bench::Report;
using quarnel::bench::Stopwatch;

namespace {

void Report(const char* what, double value, const char* unit, double target) {
  std::printf("%-52s %7.1f %-3s (target <= %.1f) %s\n", what, value, unit, target,
              value <= target ? "ok" : "MISSED");
  std::fflush(stdout);
}

// Resident memory of this process in bytes.
long ResidentBytes() {
  std::ifstream statm("/proc/self/statm");
  long pages = 0, resident = 0;
  statm >> pages >> resident;
  return resident * 4096;
}

// 1,000 channels (network 1, device 1..63, channel 1..16) with events spread in time.
EventRecord EventOf(int32_t channel_index, int32_t k, int32_t per_channel) {
  EventRecord r;
  r.network = 1;
  r.device = channel_index / 16 + 1;
  r.channel = channel_index % 16 + 1;
  r.sample_number = static_cast<int32_t>(int64_t{k} * 88200 * 1800 / per_channel);
  r.command = 34;
  r.start_intensity = 1;
  r.end_intensity = 240;
  return r;
}

}  // namespace

int main(int argc, char** argv) {
  const int32_t n = argc > 1 ? std::atoi(argv[1]) : 1000000;
  if (n < 1000 || n > 10000000) {
    std::fprintf(stderr, "tables_bench: the event count must be 1000 to 10000000\n");
    return 2;
  }
  const int32_t channels = 1000, per_channel = n / channels;
  std::printf("Sequence tables: %d events on %d channels\n", n, channels);
  std::mt19937 rng(12345);

  // Every event in key order, and the same events shuffled.
  std::vector<EventRecord> sorted;
  sorted.reserve(static_cast<size_t>(n));
  for (int32_t c = 0; c < channels; ++c) {
    for (int32_t k = 0; k < per_channel; ++k) sorted.push_back(EventOf(c, k, per_channel));
  }
  std::vector<EventRecord> shuffled = sorted;
  std::shuffle(shuffled.begin(), shuffled.end(), rng);

  {
    Recordset rs;
    for (const char* name :
         {"SampleNumber", "Network", "Device", "Channel", "Command", "StartIntensity",
          "EndIntensity", "ShortInterval", "LongInterval", "Setting0"}) {
      rs.Fields().Append(name, DataTypeEnum::adInteger);
    }
    rs.Open();
    Fields& f = rs.Fields();
    Field* fields[] = {&f["SampleNumber"], &f["Network"],        &f["Device"],      &f["Channel"],
                       &f["Command"],      &f["StartIntensity"], &f["EndIntensity"]};
    for (const EventRecord& r : shuffled) {
      rs.AddNew();
      const int32_t values[] = {r.sample_number, r.network,         r.device,       r.channel,
                                r.command,       r.start_intensity, r.end_intensity};
      for (int i = 0; i < 7; ++i) fields[i]->SetInt32(values[i]);
    }
    Ref<Events> e = Events::Create();
    Stopwatch t0;
    e->BulkCreate(rs);
    Report("BulkCreate of events from a shuffled recordset", t0, 1.0);
    if (e->GetBounds() != n - 1) std::printf("  wrong count: %d\n", e->GetBounds() + 1);
  }

  Ref<Events> events = Events::Create();
  {
    long rss0 = ResidentBytes();
    Stopwatch t0;
    for (const EventRecord& r : sorted) {
      events->Add(r.network, r.device, r.channel, r.sample_number);
    }
    Report("Events.Add one at a time in key order", t0, 1.5);
    double per_event = static_cast<double>(events->Table().MemoryUsed()) / n;
    Report("  table capacity per event, bytes", per_event, "B", 1.3 * 158);
    Report("  resident memory growth per event, bytes",
           static_cast<double>(ResidentBytes() - rss0) / n, "B", 1.3 * 158);
  }
  {
    std::uniform_int_distribution<int32_t> channel(0, channels - 1);
    std::uniform_int_distribution<int32_t> sample(0, 88200 * 1800);
    std::vector<std::pair<int32_t, int32_t>> probes(static_cast<size_t>(n));
    for (auto& p : probes) p = {channel(rng), sample(rng)};
    int64_t found = 0;
    Stopwatch t0;
    for (auto [c, s] : probes) found += events->FindLeft(1, c / 16 + 1, c % 16 + 1, s) >= 0;
    Report("FindLeft at random channels and samples", t0, 1.5);
    if (found != n) std::printf("  found only %lld\n", static_cast<long long>(found));
  }
  {
    Ref<Channels> list = Channels::Create();
    for (int32_t c = 0; c < channels; ++c) {
      list->Add(1, c / 16 + 1, c % 16 + 1,
                u"Channel " + std::u16string(1, u'a' + c % 26) + std::u16string(c / 26 + 1, u'x'),
                c + 1);
    }
    Ref<Bookmark> bookmark = Bookmark::Create();
    Stopwatch t0;
    bookmark->Refresh(list, events);
    Report("Bookmark.Refresh over the channels and events", t0, 0.5);
  }
  {
    // 30% more events at samples between the existing ones, in random order.
    const int32_t m = n * 3 / 10;
    std::vector<EventRecord> more(static_cast<size_t>(m));
    std::uniform_int_distribution<int32_t> channel(0, channels - 1);
    std::uniform_int_distribution<int32_t> sample(0, 88200 * 1800);
    for (EventRecord& r : more) {
      r = EventOf(channel(rng), 0, 1);
      r.sample_number = sample(rng) | 1;
      r.command = -34;
    }
    Stopwatch t0;
    int32_t added = events->AddMany(more);
    Report("AddMany: merge of 30% more events", t0, 0.5);
    std::printf("  merged %d new events into %d\n", added, n);
    t0 = Stopwatch();
    int32_t removed = events->RemoveIf([](const EventRecord& r) { return r.command < 0; });
    Report("RemoveIf: removal of the merged events", t0, 0.5);
    if (removed != added) std::printf("  removed %d of %d\n", removed, added);
  }
  {
    // A channel list as a sequence file loads it: every channel appended with its name.
    constexpr int32_t kListed = 50000;
    Ref<Channels> list = Channels::Create();
    Stopwatch t0;
    for (int32_t c = 1; c <= kListed; ++c) {
      const std::string digits = std::to_string(c);
      list->Add(1 + c / 512, 1, c % 512 + 1,
                u"Channel " + std::u16string(digits.begin(), digits.end()), list->GetBounds() + 1);
    }
    Report("Channels.Add of 50 000 named channels in order", t0, 0.5);
    if (list->GetBounds() != kListed) std::printf("  only %d channels\n", list->GetBounds());
  }
  return 0;
}
