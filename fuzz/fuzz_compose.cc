// The compiler on any document: whatever the channels, events and show length (extreme
// samples, levels and colours included), compiling must not crash, must give records in
// order with no two alike, and must leave every event that is not a generated one.
#include "dataapi/Channels.h"
#include "dataapi/CompiledRecord.h"
#include "dataapi/Events.h"
#include "dataapi/compile/Composer.h"
#include "platform/base/Error.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include <unistd.h>

using namespace quarnel;
using namespace quarnel::dataapi;

namespace {

class Input {
 public:
  Input(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  bool Empty() const { return size_ == 0; }
  uint8_t Byte() {
    if (size_ == 0) return 0;
    --size_;
    return *data_++;
  }
  int32_t Int() {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v = v << 8 | Byte();
    return static_cast<int32_t>(v);
  }
  // Mostly small values, now and then any.
  int32_t Small() {
    const uint8_t b = Byte();
    return b == 255 ? Int() : b % 20;
  }
  int32_t Sample() {
    const uint8_t b = Byte();
    if (b < 200) return (b * 997 + Byte()) * 60;
    if (b < 250) return Int();
    return b == 250 ? INT32_MAX : b == 251 ? INT32_MIN : b == 252 ? -1 : INT32_MAX - Byte();
  }

 private:
  const uint8_t* data_;
  size_t size_;
};

class NullHost : public compile::ComposeHost {
 public:
  void StatusChange(std::u16string_view) override {}
  void Progress(double) override {}
  void SetAutoRefresh(bool) override {}
  void RefreshBookmark() override {}
  void ComposeComplete() override {}
};

constexpr int32_t kCommands[] = {33, 34, 36, 37, 38, 23, 0, 10034, -33, -34, -40, 5};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Input in(data, size);
  Ref<Channels> channels = Channels::Create();
  const int channel_count = in.Byte() % 12;
  for (int c = 0; c < channel_count; ++c) {
    const int32_t index = channels->Add(in.Small(), in.Small(), in.Small(),
                                        u"c" + std::u16string(1, char16_t(u'A' + c)), in.Byte());
    if (index < 0) continue;
    channels->SetDeviceType(index, in.Byte() % 2 ? 12 : 0);
    for (int32_t s = 16; s <= 19; ++s) channels->SetSetting(index, s, in.Small());
  }
  // A show of up to 20,000,000 samples, or one of negative length. (Each 2,940 samples
  // is one refresh point to walk; the longest shows are left to the unit tests.)
  const uint8_t length_kind = in.Byte();
  const int32_t length = length_kind == 0   ? in.Int() % 20000000
                         : length_kind == 1 ? -(in.Int() & 0x7FFFFFFF)
                                            : length_kind * 20000;
  Ref<Events> events = Events::Create();
  for (int e = 0; e < 400 && !in.Empty(); ++e) {
    const int32_t k = events->Add(in.Small(), in.Small(), in.Small(), in.Sample());
    const uint8_t command = in.Byte();
    const int32_t start = in.Byte() % 4 == 0 ? in.Int() : in.Byte();
    const int32_t end = in.Byte() % 4 == 0 ? in.Int() : in.Byte();
    const int32_t setting = in.Byte() % 8;
    if (k < 0) continue;
    events->SetCommand(k, command < 240 ? kCommands[command % 12] : in.Int());
    events->SetStartIntensity(k, start);
    events->SetEndIntensity(k, end);
    events->SetSetting(k, 0, setting);
  }

  std::vector<EventRecord> kept;
  for (int32_t i = 0; i <= events->GetBounds(); ++i) {
    const EventRecord r = events->Record(i);
    if (r.command >= 0 || r.sample_number == -1) kept.push_back(r);
  }
  static const std::filesystem::path composed =
      std::filesystem::temp_directory_path() / ("fuzz_compose-" + std::to_string(::getpid()));
  std::vector<CompiledRecord> compiled;
  NullHost host;
  try {
    compile::Compose({*events, *channels, length, compiled, composed}, host);
  } catch (const Error& e) {
    if (e.Number() != Error::kOverflow) std::abort();  // only an event length past 32 bits
    return 0;
  }
  std::vector<EventRecord> after;
  for (int32_t i = 0; i <= events->GetBounds(); ++i) after.push_back(events->Record(i));
  if (after != kept) std::abort();
  auto key = [](const CompiledRecord& r) {
    return std::tuple(r.sample_number, r.network, r.device, r.command, r.start_intensity,
                      r.end_intensity, r.short_interval, r.long_interval, r.setting0);
  };
  for (size_t i = 1; i < compiled.size(); ++i) {
    if (!(key(compiled[i - 1]) < key(compiled[i]))) std::abort();
  }
  for (const CompiledRecord& r : compiled) {
    if (r.channel_mask < 0 || r.channel_mask > 0xFFFF) std::abort();
  }
  if (std::filesystem::file_size(composed) != 40 * compiled.size()) std::abort();
  return 0;
}
