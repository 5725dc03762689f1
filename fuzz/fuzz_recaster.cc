// What the converter takes from outside: the device remap table file (any bytes, any
// length), the option texts, and the addresses, levels and samples of source channels and
// events. Anything in: no crash, no undefined arithmetic, every step inside its event's
// span, and a fade that always ends at its end level.
#include "converter/ConversionError.h"
#include "converter/DeviceRemaps.h"
#include "converter/Effects.h"
#include "converter/Options.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>
#include <string>
#include <vector>

#include <fuzzer/FuzzedDataProvider.h>
#include <unistd.h>

namespace {

using namespace quarnel::converter;

struct Step {
  int32_t sample, level;
};

class Recorder : public DmxEventWriter {
 public:
  void AddDMXEvent(int32_t, int32_t sample, int32_t level) override {
    steps.push_back({sample, level});
  }
  std::vector<Step> steps;
};

// The table file of this process, removed when it ends.
struct TableFile {
  std::filesystem::path path =
      std::filesystem::temp_directory_path() / ("fuzz_recaster-" + std::to_string(::getpid()));
  ~TableFile() {
    std::error_code ignored;
    std::filesystem::remove(path, ignored);
  }
};

void Remaps(FuzzedDataProvider& in) {
  static const TableFile table;
  const std::filesystem::path& file = table.path;
  const std::string bytes = in.ConsumeBytesAsString(in.ConsumeIntegralInRange<size_t>(0, 32000));
  std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
  DeviceRemaps remaps(file);
  remaps.LoadRemapTable();
  for (int i = in.ConsumeIntegralInRange(0, 6); i > 0; --i) {
    SourceChannel s{in.ConsumeIntegral<int32_t>() % 40,  in.ConsumeIntegral<int32_t>() % 260,
                    in.ConsumeIntegral<int32_t>(),       in.ConsumeIntegralInRange(0, 13),
                    in.ConsumeIntegral<int32_t>() % 260, in.ConsumeIntegral<int32_t>() % 260,
                    in.ConsumeIntegral<int32_t>(),       in.ConsumeIntegral<int32_t>()};
    const auto plan = PlanChannel(s);
    if (!plan) continue;
    try {
      remaps.AssignDevices(plan->assign, plan->half);
    } catch (const ConversionError&) {
      continue;  // no DMX device left
    }
    RgbData dmx = plan->elements;
    remaps.RemapAddresses(dmx);
    if (dmx.network != DeviceRemaps::kDmxNetwork) std::abort();
    if (s.network != 0 && remaps.Entry(s.network, s.device) == 0) std::abort();
  }
}

void Effect(FuzzedDataProvider& in) {
  OptionTexts texts;
  for (std::string* t : {&texts.ramp_resolution, &texts.twinkle_density, &texts.twinkle_rate,
                         &texts.shimmer_duration, &texts.shimmer_rate}) {
    *t = in.ConsumeRandomLengthString(12);
  }
  const auto parsed = ParseOptions(texts);
  if (!std::holds_alternative<Options>(parsed)) return;
  const Options options = std::get<Options>(parsed);
  EffectSpan span;
  span.s0 = in.ConsumeIntegral<int32_t>();
  const int64_t room = int64_t{std::numeric_limits<int32_t>::max()} - span.s0;
  span.s1 =
      static_cast<int32_t>(span.s0 + std::min<int64_t>(room, in.ConsumeIntegralInRange(0, 300000)));
  span.setting0 = in.ConsumeIntegral<int32_t>();
  const int32_t a = in.ConsumeIntegral<int32_t>(), b = in.ConsumeIntegral<int32_t>();
  Rnd rnd(in.ConsumeIntegralInRange<uint32_t>(0, Rnd::kModulus - 1));
  Recorder r;
  Effects effects(options, rnd, r);
  switch (in.ConsumeIntegralInRange(0, 2)) {
    case 0:
      effects.ConvertFade(0, span, a, b);
      if (r.steps.empty() || r.steps.back().level != b) std::abort();
      break;
    case 1:
      effects.ConvertTwinkle(0, span, a, b);
      break;
    default:
      effects.ConvertShimmer(0, span, a, b);
      break;
  }
  for (const Step& s : r.steps) {
    if (s.sample < span.s0 || s.sample > span.s1) std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  if (in.ConsumeBool()) {
    Remaps(in);
  } else {
    Effect(in);
  }
  return 0;
}
