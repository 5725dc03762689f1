// The bulk compiler against the one-at-a-time walk on random documents: the same status
// texts and progress values, the same events while the generated ones are in place and
// afterwards, the same compiled records and the same bytes of "composed.tmp".
#include "dataapi/Channels.h"
#include "dataapi/Events.h"
#include "dataapi/compile/Composer.h"
#include "dataapi/tests/ComposeReference.h"
#include "dataapi/tests/ComposeTestHost.h"

#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace quarnel::dataapi {
namespace {

using testing::RecordingHost;
using testing::ScratchFolder;

struct Document {
  Ref<Channels> channels = Channels::Create();
  Ref<Events> events = Events::Create();
  int32_t length = 0;
};

// A small show on a few devices: some channels RGB (their green and blue parts on
// addresses that may be channels, parts of other RGB channels, or nothing), events of
// every kind of command, a few dark stretches long enough for refresh points.
Document RandomDocument(std::mt19937& rng, int size) {
  Document doc;
  auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  const int devices = pick(1, 3);
  const int channel_count = pick(0, 12);
  for (int c = 0; c < channel_count; ++c) {
    const int32_t network = pick(0, 1), device = pick(1, devices), channel = pick(1, 18);
    const int32_t index = doc.channels->Add(
        network, device, channel, u"ch" + std::u16string(1, char16_t(u'A' + c)), pick(0, 20));
    if (index < 0) continue;
    if (pick(0, 2) == 0) {
      doc.channels->SetDeviceType(index, 12);
      doc.channels->SetSetting(index, 16, pick(1, devices));
      doc.channels->SetSetting(index, 17, pick(1, devices));
      doc.channels->SetSetting(index, 18, pick(1, 18));
      doc.channels->SetSetting(index, 19, pick(1, 18));
    } else {
      doc.channels->SetDeviceType(index, pick(0, 13));
    }
  }
  static const int32_t kCommands[] = {33, 33, 33, 34, 34, 36,    37,  38,
                                      38, 38, 23, 0,  5,  10034, -33, -34};
  static const int32_t kLevels[] = {1, 1, 120, 200, 240, 240, 240};
  static const int32_t kColours[] = {0, 0, 0xFFFFFF, 0x80FF00, 0x0000FF, 0x123456};
  static const int32_t kGaps[] = {1,    2,     3000,  3840,  3841,  5000,  7680,
                                  7681, 10000, 14999, 15000, 40000, 300000};
  doc.length = pick(0, 4) == 0 ? pick(-5, 9000) : pick(100000, 1500000);
  for (int e = 0; e < size; ++e) {
    int32_t network = pick(0, 1), device = pick(1, devices), channel = pick(1, 18);
    if (channel_count > 0 && pick(0, 3) != 0) {
      const int32_t ch = pick(1, doc.channels->GetBounds());
      network = doc.channels->Network(ch);
      device = doc.channels->Device(ch);
      channel = doc.channels->Channel(ch);
    }
    // Shared sample grids make parts and events of different channels meet.
    const int kind = pick(0, 3);
    int32_t sample = kind == 0   ? pick(0, 2000)
                     : kind == 1 ? 1000 * pick(0, 20) + pick(0, 1)
                                 : pick(0, 1500000);
    if (pick(0, 5) == 0) {
      // Next to an event of the channel, at one of the lengths that decide.
      const int32_t at = doc.events->FindLeft(network, device, channel, sample);
      if (at >= 0) sample = doc.events->SampleNumber(at) + kGaps[pick(0, 12)];
    }
    if (pick(0, 60) == 0) sample = -1;
    const int32_t k = doc.events->Add(network, device, channel, sample);
    if (k < 0) continue;
    const int32_t command = kCommands[pick(0, 15)];
    doc.events->SetCommand(k, command);
    if (command == 38) {
      doc.events->SetStartIntensity(k, kColours[pick(0, 5)]);
      doc.events->SetEndIntensity(k, kColours[pick(0, 5)]);
    } else {
      doc.events->SetStartIntensity(k, kLevels[pick(0, 6)]);
      doc.events->SetEndIntensity(k, kLevels[pick(0, 6)]);
    }
    doc.events->SetSetting(k, 0, pick(0, 2) == 0 ? pick(0, 7) : 0);
    doc.events->SetShortInterval(k, pick(0, 9));
  }
  return doc;
}

std::string ReadBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

struct Outcome {
  std::vector<std::string> log;
  std::u16string events_while_composing;
  std::u16string events_after;
  std::vector<CompiledRecord> compiled;
  std::string composed;
};

template <class Run>
Outcome Compile(const Document& original, const std::filesystem::path& folder, Run run) {
  Ref<Events> events = original.events->Clone();
  Ref<Channels> channels = original.channels->Clone();
  Outcome out;
  RecordingHost host;
  host.on_status = [&](std::u16string_view text) {
    if (text == compile::kStatusCreating) out.events_while_composing = events->UndoData();
  };
  const std::filesystem::path composed = folder / "composed.tmp";
  run(*events, *channels, original.length, out.compiled, composed, host);
  out.log = host.log;
  out.events_after = events->UndoData();
  out.composed = ReadBytes(composed);
  return out;
}

TEST(ComposePropertyTest, BulkCompilerMatchesTheOneAtATimeWalk) {
  ScratchFolder folder;
  std::mt19937 rng(5150);
  for (int round = 0; round < 60; ++round) {
    const int size = round % 10 == 9 ? 2600 : std::uniform_int_distribution<int>(0, 400)(rng);
    const Document doc = RandomDocument(rng, size);
    SCOPED_TRACE("round " + std::to_string(round) + ", " +
                 std::to_string(doc.events->GetBounds() + 1) + " events");
    Outcome bulk = Compile(
        doc, folder.Path(),
        [](Events& e, const Channels& c, int32_t length, std::vector<CompiledRecord>& compiled,
           const std::filesystem::path& path, compile::ComposeHost& host) {
          compile::Compose({e, c, length, compiled, path}, host);
        });
    Outcome single = Compile(doc, folder.Path(), testing::ReferenceCompose);
    EXPECT_EQ(bulk.log, single.log);
    EXPECT_TRUE(bulk.events_while_composing == single.events_while_composing);
    EXPECT_TRUE(bulk.events_after == single.events_after);
    EXPECT_EQ(bulk.compiled, single.compiled);
    EXPECT_EQ(bulk.composed, single.composed);
    EXPECT_EQ(bulk.composed.size(), 40 * bulk.compiled.size());
  }
}

}  // namespace
}  // namespace quarnel::dataapi
