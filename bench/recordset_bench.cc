// Speed of the recordset and its files, against the figures a show needs:
//   - a one-row table holding a 40 MB long text (a big playback block): saved and opened
//     in at most 0.3 s each;
//   - 1 000 000 rows of 10 integer fields: saved and opened in at most 1 s each;
//   - compiling: 1 000 000 rows added to a table sorted on 10 fields, then walked in order;
//   - loading: 1 000 000 rows sorted on 4 fields, then walked in order.
// Each figure is the best of three runs. Prints one line per figure.
#include "platform/recordset/Recordset.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <vector>

namespace {

using quarnel::DataTypeEnum;
using quarnel::Field;
using quarnel::Recordset;
namespace fs = std::filesystem;

double BestSeconds(const std::function<void()>& setup, const std::function<void()>& run) {
  double best = 1e9;
  for (int i = 0; i < 3; ++i) {
    setup();
    const auto t0 = std::chrono::steady_clock::now();
    run();
    best = std::min(best,
                    std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
  }
  return best;
}

// A limit of 0 means the figure is shown for information.
void Report(const char* what, double seconds, double limit) {
  if (limit <= 0) {
    std::printf("%-58s %8.3f s\n", what, seconds);
  } else {
    std::printf("%-58s %8.3f s  (limit %.1f s) %s\n", what, seconds, limit,
                seconds <= limit ? "ok" : "TOO SLOW");
  }
}

const char* kIntFields[] = {"SampleNumber", "Network",        "Device",       "Channel",
                            "Command",      "StartIntensity", "EndIntensity", "ShortInterval",
                            "LongInterval", "Setting0"};

void MakeIntTable(Recordset& rs) {
  for (const char* name : kIntFields) rs.Fields().Append(name, DataTypeEnum::adInteger);
  rs.Open();
}

void FillInts(Recordset& rs, int rows, uint32_t seed) {
  std::vector<Field*> f;
  for (const char* name : kIntFields) f.push_back(&rs.Fields()[name]);
  std::mt19937 rng(seed);
  for (int r = 0; r < rows; ++r) {
    rs.AddNew();
    f[0]->SetInt32(static_cast<int32_t>(rng() % 5000000));
    f[1]->SetInt32(static_cast<int32_t>(rng() % 4));
    f[2]->SetInt32(static_cast<int32_t>(rng() % 64));
    f[3]->SetInt32(static_cast<int32_t>(rng() % 16 + 1));
    for (size_t i = 4; i < f.size(); ++i) f[i]->SetInt32(static_cast<int32_t>(rng() % 240));
  }
}

int64_t Walk(Recordset& rs) {
  Field& first = rs.Fields().Item(0);
  int64_t sum = 0;
  for (rs.MoveFirst(); !rs.Eof(); rs.MoveNext()) sum += first.Int32();
  return sum;
}

}  // namespace

int main() {
  const fs::path dir = fs::temp_directory_path() / "quarnel-recordset-bench";
  fs::create_directories(dir);
  std::printf("Recordset benchmarks (files in %s)\n", dir.string().c_str());

  {
    Recordset rs;
    rs.Fields().Append("data", DataTypeEnum::adLongVarChar, 40 * 1000 * 1000);
    rs.Open();
    rs.AddNew();
    std::string block(40 * 1000 * 1000, '\0');
    for (size_t i = 0; i < block.size(); ++i) block[i] = static_cast<char>(i * 131 + (i >> 9));
    rs.SetValue("data", quarnel::Value::Bytes(std::move(block)));
    const fs::path file = dir / "block.dls";
    Report("40 MB adLongVarChar, one row: Save", BestSeconds([] {}, [&] { rs.Save(file); }), 0.3);
    Recordset back;
    Report("40 MB adLongVarChar, one row: Open",
           BestSeconds(
               [&] {
                 if (back.State() == quarnel::ObjectStateEnum::adStateOpen) back.Close();
               },
               [&] { back.Open(file); }),
           0.3);
  }
  {
    Recordset rs;
    MakeIntTable(rs);
    const double fill = BestSeconds(
        [&] {
          rs.Close();
          rs.Open();
        },
        [&] { FillInts(rs, 1000000, 1); });
    Report("1 000 000 rows x 10 adInteger: AddNew and set by handle", fill, 0);
    const fs::path file = dir / "ints.tmp";
    Report("1 000 000 rows x 10 adInteger: Save", BestSeconds([] {}, [&] { rs.Save(file); }), 1.0);
    Recordset back;
    Report("1 000 000 rows x 10 adInteger: Open",
           BestSeconds(
               [&] {
                 if (back.State() == quarnel::ObjectStateEnum::adStateOpen) back.Close();
               },
               [&] { back.Open(file); }),
           1.0);
  }
  {
    Recordset rs;
    MakeIntTable(rs);
    int64_t sum = 0;
    const double t = BestSeconds(
        [&] {
          rs.Close();
          rs.Open();
          rs.SetSort(
              "SampleNumber, Network, Device, Command, StartIntensity, EndIntensity, "
              "ShortInterval, LongInterval, Setting0, Channel");
        },
        [&] {
          FillInts(rs, 1000000, 2);
          sum += Walk(rs);
        });
    Report("compile: 1 000 000 rows added to a 10-field sort, walked", t, 0);
  }
  {
    Recordset rs;
    MakeIntTable(rs);
    FillInts(rs, 1000000, 3);
    int64_t sum = 0;
    const double sort = BestSeconds([&] { rs.SetSort(""); },
                                    [&] { rs.SetSort("network, device, channel, samplenumber"); });
    const double walk = BestSeconds([] {}, [&] { sum += Walk(rs); });
    Report("load: 1 000 000 rows sorted on 4 fields", sort, 0);
    Report("load: 1 000 000 sorted rows walked", walk, 0);
    const double t = sort + walk;
    Report("load: 1 000 000 rows sorted on 4 fields, walked", t, 0);
  }
  fs::remove_all(dir);
  return 0;
}
