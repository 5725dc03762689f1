// The event pass: every source event becomes command-33 steps on the converted channels.
#include "converter/RecastRun.h"

namespace quarnel::converter {

namespace {

enum Command : int32_t {
  kSteady = 33,
  kFade = 34,
  kTwinkle = 36,
  kShimmer = 37,
  kColour = 38,
};

// Bits of Setting 0 that choose how a colour event is recast.
constexpr int32_t kColourShimmerBit = 2;
constexpr int32_t kColourTwinkleBit = 4;

// Events between two looks at whether the user asked to stop.
constexpr int32_t kStopCheckEvents = 4096;

}  // namespace

void RecastRun::EventPass() {
  LibraryEvents& events = oOldDLS_->Events();
  const int32_t bounds = events.GetBounds();
  const int32_t length = oOldDLS_->Length();
  for (int32_t j = 0; j <= bounds; ++j) {
    ShowEventProgress(j, bounds);
    if (j % kStopCheckEvents == 0) CheckStop();
    const Address address{events.Network(j), events.Device(j), events.Channel(j)};
    const auto mapped = channel_map_.find(address);
    if (mapped == channel_map_.end()) continue;

    // An effect lasts until the next event of its own channel; the last one of a channel
    // until the end of the show, when that lies after it, else it has no span at all.
    EffectSpan span;
    span.s0 = events.SampleNumber(j);
    span.setting0 = events.Setting(j, 0);
    if (j < bounds &&
        Address{events.Network(j + 1), events.Device(j + 1), events.Channel(j + 1)} == address) {
      span.s1 = events.SampleNumber(j + 1);
    } else {
      span.s1 = length > span.s0 ? length : span.s0;
    }
    ConvertEvent(events, j, mapped->second, span);
  }
  writer_->Finish();
}

void RecastRun::ConvertEvent(LibraryEvents& events, int32_t j, const MappedChannel& m,
                             const EffectSpan& span) {
  const int32_t a = events.StartIntensity(j);
  const int32_t b = events.EndIntensity(j);
  const bool rgb = m.dmx.type_rgb;
  Effects effects(request_.options, rnd_, *writer_);
  switch (events.Command(j)) {
    case kSteady:
      if (!rgb) {
        effects.Steady(m.slot_red, span.s0, a);
      } else if (a == kDark) {
        effects.Steady(m.slot_red, span.s0, kDark);
        effects.Steady(m.slot_green, span.s0, kDark);
        effects.Steady(m.slot_blue, span.s0, kDark);
      }
      break;
    case kFade:
      if (!rgb) effects.ConvertFade(m.slot_red, span, a, b);
      break;
    case kTwinkle:
      effects.ConvertTwinkle(m.slot_red, span, a, b);
      break;
    case kShimmer:
      effects.ConvertShimmer(m.slot_red, span, a, b);
      break;
    case kColour: {
      const ColourLevels from = ColourToIntensities(a);
      const ColourLevels to = ColourToIntensities(b);
      const struct {
        int32_t slot, a, b;
      } elements[] = {{m.slot_red, from.red, to.red},
                      {m.slot_green, from.green, to.green},
                      {m.slot_blue, from.blue, to.blue}};
      for (const auto& e : elements) {
        if (span.setting0 & kColourShimmerBit) {
          effects.ConvertShimmer(e.slot, span, e.a, e.b);
        } else if (span.setting0 & kColourTwinkleBit) {
          effects.ConvertTwinkle(e.slot, span, e.a, e.b);
        } else {
          effects.ConvertFade(e.slot, span, e.a, e.b);
        }
      }
      break;
    }
    default:
      break;  // other commands have nothing to recast
  }
}

void RecastRun::ShowEventProgress(int32_t j, int32_t bounds) {
  const std::time_t now = std::time(nullptr);
  if (now == last_progress_second_) return;
  last_progress_second_ = now;
  // One event (bounds 0) is all of the work at once.
  const double percent = bounds > 0 ? static_cast<double>(j) / bounds * 100 : 0;
  Status("Recasting events " + std::to_string(j) + " of " + std::to_string(bounds), percent);
}

}  // namespace quarnel::converter
