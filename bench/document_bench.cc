// Speed of loading a whole sequence file.
//
//   document_bench [events]     default 1,000,000
//
// Builds a sequence of 1,000 channels (63 devices of 16 channels, the last one 8) whose
// events come as compiled records with mixed channel masks, saves it, and loads it as a
// full sequence (decompiling every record), for playback only, and as a backup. Prints
// one line per measurement with its target; the workspace is a temporary folder.
#include "bench/Stopwatch.h"
#include "dataapi/File.h"
#include "dataapi/tests/SequenceFiles.h"

#include <algorithm>
#include <bit>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include <unistd.h>

using namespace quarnel;
using namespace quarnel::dataapi;
namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kWidth = 58;  // of the first column
constexpr int32_t kChannels = 1000;
constexpr int32_t kPerDevice = 16;

// Compiled records for `events` events: per step in time, each device's channels take one
// of four levels and channels of equal level share a record.
std::vector<CompiledRecord> Records(int64_t events) {
  const int64_t steps = std::max<int64_t>(1, events / kChannels);
  std::mt19937 random(7);
  const int32_t levels[] = {1, 60, 120, 240};
  std::vector<CompiledRecord> records;
  records.reserve(static_cast<size_t>(steps) * 63 * 4);
  for (int64_t step = 0; step < steps; ++step) {
    const auto sample = static_cast<int32_t>(step * 4410);
    for (int32_t device = 1; device * kPerDevice - kPerDevice < kChannels; ++device) {
      const int32_t count = std::min(kPerDevice, kChannels - (device - 1) * kPerDevice);
      int32_t masks[4] = {0, 0, 0, 0};
      for (int32_t c = 0; c < count; ++c) masks[random() % 4] |= 1 << c;
      for (int32_t l = 0; l < 4; ++l) {
        if (masks[l] == 0) continue;
        records.push_back({sample, 1, device, masks[l], step % 3 == 2 ? 10034 : 33, levels[l],
                           levels[l], 0, 0, 0});
      }
    }
  }
  std::sort(records.begin(), records.end(), [](const CompiledRecord& a, const CompiledRecord& b) {
    return std::tie(a.sample_number, a.network, a.device, a.command, a.start_intensity) <
           std::tie(b.sample_number, b.network, b.device, b.command, b.start_intensity);
  });
  return records;
}

// Backup rows: one per event, the channel in the mask's place.
std::vector<CompiledRecord> BackupRows(const std::vector<CompiledRecord>& records) {
  std::vector<CompiledRecord> rows;
  for (const CompiledRecord& r : records) {
    for (int32_t b = 0; b < 16; ++b) {
      if (!IsChannelBitSet(r.channel_mask, b)) continue;
      CompiledRecord row = r;
      row.channel_mask = b + 1;
      rows.push_back(row);
    }
  }
  return rows;
}

std::string ChannelTable() {
  std::vector<testing::ChannelRow> rows = {{"[Reserved Channel]"}};
  for (int32_t i = 0; i < kChannels; ++i) {
    rows.push_back({"Channel " + std::to_string(i + 1),
                    1,
                    i / kPerDevice + 1,
                    i % kPerDevice + 1,
                    1,
                    0xFFFFFF,
                    {{0, i}}});
  }
  return testing::ChannelTableImage(rows);
}

void LoadOnce(const fs::path& path, FileType type, const std::string& what, double target,
              int64_t expected_events) {
  Ref<File> doc = File::Create();
  // The time of each step, told by the status texts the load raises.
  std::vector<std::pair<std::string, Clock::time_point>> steps;
  auto sink = MakeRef<FileEventHandlers>();
  sink->on_status_change = [&](std::u16string& text) {
    steps.emplace_back(std::string(text.begin(), text.end()), Clock::now());
  };
  doc->Advise(sink);
  bench::Stopwatch watch;
  doc->Load(path.u16string(), type);
  const Clock::time_point end = Clock::now();
  bench::Report(what, watch, target, kWidth);
  for (size_t i = 0; i < steps.size(); ++i) {
    const Clock::time_point next = i + 1 < steps.size() ? steps[i + 1].second : end;
    std::printf("    %-54s %7.3f s\n", steps[i].first.substr(0, 54).c_str(),
                std::chrono::duration<double>(next - steps[i].second).count());
  }
  const int64_t events = doc->Events()->GetBounds() + 1;
  if (events != expected_events) {
    std::printf("  unexpected: %lld events loaded, %lld expected\n", static_cast<long long>(events),
                static_cast<long long>(expected_events));
  }
}

}  // namespace

int main(int argc, char** argv) {
  const int64_t events = argc > 1 ? std::atoll(argv[1]) : 1000000;
  const fs::path dir = fs::temp_directory_path() / ("document-bench-" + std::to_string(::getpid()));
  fs::create_directories(dir);
  ::setenv("QUARNEL_WORKSPACE", (dir / "workspace").c_str(), 1);

  bench::Stopwatch build;
  const std::vector<CompiledRecord> records = Records(events);
  int64_t expanded = 0;
  for (const CompiledRecord& r : records)
    expanded += std::popcount(static_cast<uint32_t>(r.channel_mask));
  testing::SequenceFile file;
  file.SetText("channels", ChannelTable());
  file.SetData(records);
  file.Write(dir / "show.dls");
  testing::SequenceFile backup = file;
  backup.SetData(BackupRows(records));
  backup.Write(dir / "show.bak");
  bench::Report("making the files (" + std::to_string(records.size()) + " records, " +
                    std::to_string(fs::file_size(dir / "show.dls") >> 20) + " MiB)",
                build, 0, kWidth);

  const std::string n =
      std::to_string(expanded) + " events, " + std::to_string(kChannels) + " channels";
  LoadOnce(dir / "show.dls", FileTypeDLS, "Load FileTypeDLS, " + n, 2.0, expanded);
  LoadOnce(dir / "show.dls", FileTypeFastDLS, "Load FileTypeFastDLS, " + n, 0, 0);
  LoadOnce(dir / "show.bak", FileTypeBAK, "Load FileTypeBAK, " + n, 2.0, expanded);
  fs::remove_all(dir);
  return 0;
}
