// Speed of converting a whole show with DMXRecaster's conversion, phase by phase, and of
// the bulk merge of its steps against one Events.Add per step.
//
//   recaster_bench [events] [compare-events]     default 200,000 and 20,000
//
// The big show has `events` source events on 500 channels (100 of them RGB, pixel and
// free-element kinds in turn; a quarter of the others half-size), every command mixed, 10
// minutes long, its channel list in the user's (shuffled) order. The compared show has
// `compare-events` events on 50 channels (10 RGB), 1 minute long, converted both ways.
// Prints the events created and the time of each phase with the targets (<= 10 s end to
// end; the bulk merge >= 20 times as fast as one add at a time, in processor time, which
// stays meaningful on a shared machine).
#include "bench/Stopwatch.h"
#include "converter/Recaster.h"
#include "converter/tests/Shows.h"
#include "platform/base/Error.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <stdlib.h>
#include <sys/resource.h>
#include <unistd.h>

using namespace quarnel;
using namespace quarnel::converter;
using quarnel::bench::Report;
using quarnel::bench::Stopwatch;

namespace {

constexpr int32_t kSamplesPerMinute = 60 * 88200;

// Prints the time of each phase of a conversion as it ends.
class PhaseTimes : public ConversionObserver {
 public:
  void UpdateStatus(const std::string&, double) override {}
  void Warning(const std::string& text) override {
    std::fprintf(stderr, "warning: %s\n", text.c_str());
  }
  void PhaseStarted(ConversionPhase phase) override {
    static const char* const kNames[] = {"load", "channel pass", "event pass", "bookmark", "save"};
    if (current_ >= 0) Report("    " + std::string(kNames[current_]), since_, 0);
    current_ = phase == ConversionPhase::kDone ? -1 : static_cast<int>(phase);
    since_ = Stopwatch();
  }

 private:
  int current_ = -1;
  Stopwatch since_;
};

std::string Bytes(const std::filesystem::path& file) {
  std::stringstream s;
  s << std::ifstream(file, std::ios::binary).rdbuf();
  return s.str();
}

// Converts `source` with a fresh run state; the number of events created.
int32_t Convert(const std::filesystem::path& source, bool bulk, ConversionObserver& observer) {
  DeviceRemaps remaps(source.parent_path() / DeviceRemaps::kFileName);
  Rnd rnd;
  const std::unique_ptr<DataLibrary> library = DirectLibrary();
  return Recast({source, Options(), bulk}, *library, remaps, rnd, observer).events_created;
}

struct Quiet : ConversionObserver {
  void UpdateStatus(const std::string&, double) override {}
  void Warning(const std::string&) override {}
};

}  // namespace

int main(int argc, char** argv) {
  const int32_t events = argc > 1 ? std::atoi(argv[1]) : 200000;
  const int32_t compare_events = argc > 2 ? std::atoi(argv[2]) : 20000;
  if (events < 1000 || events > 5000000 || compare_events < 100 || compare_events > 200000) {
    std::fprintf(stderr, "recaster_bench: events 1000 to 5000000, compare-events 100 to 200000\n");
    return 2;
  }
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("recaster_bench-" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder / "big");
  std::filesystem::create_directories(folder / "small");
  ::setenv("QUARNEL_WORKSPACE", (folder / "workspace").c_str(), 1);
  int rc = 0;
  try {
    std::printf("A show of %d source events on 500 channels (100 RGB), 10 minutes long\n", events);
    Stopwatch making;
    testing::SaveShow(testing::RandomShow(1, 500, 5, events, 10 * kSamplesPerMinute),
                      folder / "big" / "Show.dls");
    Report("  making the source (not part of the conversion)", making, 0);
    PhaseTimes phases;
    Stopwatch whole;
    const int32_t created = Convert(folder / "big" / "Show.dls", true, phases);
    std::printf("  %d events created\n", created);
    Report("  the whole conversion", whole, 10);

    std::printf("\nA show of %d source events on 50 channels (10 RGB), 1 minute long:\n",
                compare_events);
    testing::SaveShow(testing::RandomShow(2, 50, 5, compare_events, kSamplesPerMinute),
                      folder / "small" / "Show.dls");
    Quiet quiet;
    Stopwatch bulk_watch;
    const int32_t small_created = Convert(folder / "small" / "Show.dls", true, quiet);
    const double bulk = bulk_watch.CpuSeconds();
    Report("  steps merged in bulk (" + std::to_string(small_created) + " events created)",
           bulk_watch, 0);
    const std::string bulk_bytes = Bytes(folder / "small" / "Show_DMX.dls");
    Stopwatch direct_watch;
    Convert(folder / "small" / "Show.dls", false, quiet);
    const double direct = direct_watch.CpuSeconds();
    Report("  one Events.Add per step", direct_watch, 0);
    const bool same = bulk_bytes == Bytes(folder / "small" / "Show_DMX.dls");
    std::printf(
        "  bulk is %.1f times as fast in processor time (target >= 20) %s; "
        "saved files %s\n",
        direct / bulk, direct / bulk >= 20 ? "ok" : "MISSED", same ? "identical" : "DIFFER");
    if (!same) rc = 1;
  } catch (const Error& e) {
    std::fprintf(stderr, "recaster_bench: %s\n", e.what());
    rc = 1;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "recaster_bench: %s\n", e.what());
    rc = 1;
  }
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  std::printf("Peak memory: %.0f MB\n", usage.ru_maxrss / 1024.0);
  std::error_code ignored;
  std::filesystem::remove_all(folder, ignored);
  return rc;
}
