// Compiling for playback: colour parts, refresh points, short fades, ramp intervals, the
// channel mask merge, the hand-over file and the events left as they were.
#include "dataapi/Channels.h"
#include "dataapi/CompiledRecord.h"
#include "dataapi/Events.h"
#include "dataapi/RampCalc.h"
#include "dataapi/compile/ColourParts.h"
#include "dataapi/compile/Composer.h"
#include "dataapi/tests/ComposeTestHost.h"
#include "platform/base/Error.h"

#include <climits>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace quarnel::dataapi {
namespace {

using testing::RecordingHost;
using testing::ScratchFolder;

CompiledRecord Rec(int32_t sample, int32_t device, int32_t mask, int32_t command, int32_t start,
                   int32_t end, RampIntervals ramp = {0, 0}, int32_t setting0 = 0) {
  return {sample, 0, device, mask, command, start, end, ramp.first, ramp.second, setting0};
}

class ComposeTest : public ::testing::Test {
 protected:
  Ref<Channels> channels_ = Channels::Create();
  Ref<Events> events_ = Events::Create();
  int32_t length_ = 0;
  std::vector<CompiledRecord> compiled_;
  RecordingHost host_;
  ScratchFolder folder_;
  std::u16string events_while_composing_;

  std::filesystem::path Composed() const { return folder_.Path() / "composed.tmp"; }

  int32_t AddChannel(int32_t device, int32_t channel, int32_t device_type = 0) {
    const int32_t i = channels_->Add(0, device, channel,
                                     u"d" + std::u16string(1, char16_t(u'0' + device)) + u"c" +
                                         std::u16string(1, char16_t(u'A' + channel)),
                                     channels_->GetBounds() + 1);
    channels_->SetDeviceType(i, device_type);
    return i;
  }
  // An RGB channel whose green and blue parts are channels green and blue of the device.
  void AddRgbChannel(int32_t device, int32_t red, int32_t green, int32_t blue) {
    const int32_t i = AddChannel(device, red, 12);
    channels_->SetSetting(i, 16, device);
    channels_->SetSetting(i, 17, device);
    channels_->SetSetting(i, 18, green);
    channels_->SetSetting(i, 19, blue);
  }
  void AddEvent(int32_t device, int32_t channel, int32_t sample, int32_t command, int32_t start,
                int32_t end, int32_t setting0 = 0) {
    const int32_t k = events_->Add(0, device, channel, sample);
    ASSERT_GE(k, 0);
    events_->SetCommand(k, command);
    events_->SetStartIntensity(k, start);
    events_->SetEndIntensity(k, end);
    events_->SetSetting(k, 0, setting0);
  }
  void Compose() {
    host_.on_status = [this](std::u16string_view text) {
      if (text == compile::kStatusCreating) events_while_composing_ = events_->UndoData();
    };
    compile::Compose({*events_, *channels_, length_, compiled_, Composed()}, host_);
  }
  // The events as they stood while the generated ones were in place.
  Ref<Events> EventsWhileComposing() const {
    Ref<Events> e = Events::Create();
    e->SetUndoData(events_while_composing_);
    return e;
  }
  std::vector<CompiledRecord> RecordsAt(int32_t sample) const {
    std::vector<CompiledRecord> out;
    for (const CompiledRecord& r : compiled_) {
      if (r.sample_number == sample) out.push_back(r);
    }
    return out;
  }
};

TEST_F(ComposeTest, ColourEventFromBlackToWhiteFadesItsThreePartsOneSampleLater) {
  AddRgbChannel(1, 1, 2, 3);
  AddEvent(1, 1, 1000, 38, 0, 0xFFFFFF);
  AddEvent(1, 1, 30000, 33, 1, 1);
  AddEvent(1, 2, 30000, 33, 1, 1);
  AddEvent(1, 3, 30000, 33, 1, 1);
  const std::u16string before = events_->UndoData();
  Compose();

  Ref<Events> during = EventsWhileComposing();
  for (int32_t channel : {1, 2, 3}) {
    const int32_t k = during->FindLeft(0, 1, channel, 1001);
    ASSERT_GE(k, 0);
    EXPECT_EQ(during->SampleNumber(k), 1001);
    EXPECT_EQ(during->Command(k), -34);
    EXPECT_EQ(during->StartIntensity(k), 240);
    EXPECT_EQ(during->EndIntensity(k), 1);
  }
  // The colour event itself lasts one sample, up to its red part.
  EXPECT_EQ(RecordsAt(1000),
            (std::vector<CompiledRecord>{Rec(1000, 1, 1, 38, 0, 0xFFFFFF, CalcRampIntervals(1))}));
  // The three parts are one record; 28,999 samples is no short fade.
  EXPECT_EQ(RecordsAt(1001),
            (std::vector<CompiledRecord>{Rec(1001, 1, 7, -34, 240, 1, CalcRampIntervals(28999))}));
  EXPECT_TRUE(events_->UndoData() == before);
}

TEST_F(ComposeTest, LevelEventOnAnRgbChannelGivesDarkPartsInTheModeItsSettingSelects) {
  struct Case {
    int32_t setting0;
    int32_t command;
    int32_t flag;
  };
  const Case cases[] = {{0, -33, 0}, {1, -33, 0}, {2, -37, 0}, {3, -37, 1},
                        {4, -36, 0}, {5, -36, 1}, {6, -33, 0}, {7, -33, 0}};
  AddRgbChannel(1, 1, 2, 3);
  int32_t sample = 0;
  for (const Case& c : cases) {
    AddEvent(1, 1, sample, 33, 10, 10, c.setting0);
    sample += 100;
  }
  Compose();
  Ref<Events> during = EventsWhileComposing();
  sample = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE("setting " + std::to_string(c.setting0));
    for (int32_t channel : {1, 2, 3}) {
      const int32_t k = during->FindLeft(0, 1, channel, sample + 1);
      ASSERT_GE(k, 0);
      EXPECT_EQ(during->SampleNumber(k), sample + 1);
      EXPECT_EQ(during->Command(k), c.command);
      EXPECT_EQ(during->StartIntensity(k), 240);
      EXPECT_EQ(during->EndIntensity(k), 240);
      EXPECT_EQ(during->Setting(k, 0), c.flag);
    }
    sample += 100;
  }
}

TEST_F(ComposeTest, EventsOnNoChannelOrOnOtherChannelsAreNotSplit) {
  AddChannel(1, 1, 11);
  AddRgbChannel(2, 1, 2, 3);
  channels_->SetDeviceType(channels_->Find(0, 2, 1), 13);  // no longer RGB
  AddEvent(1, 1, 500, 38, 0, 0xFFFFFF);
  AddEvent(2, 1, 500, 38, 0, 0xFFFFFF);
  AddEvent(3, 1, 500, 38, 0, 0xFFFFFF);  // no channel at this address
  Compose();
  EXPECT_EQ(EventsWhileComposing()->GetBounds(), 2);
  EXPECT_TRUE(RecordsAt(501).empty());
}

TEST_F(ComposeTest, PartWhoseSampleIsTakenIsDroppedAndTheEventThereStays) {
  AddRgbChannel(1, 1, 2, 3);
  AddEvent(1, 1, 100, 38, 0, 0xFFFFFF);
  AddEvent(1, 2, 101, 33, 7, 7);
  Compose();
  Ref<Events> during = EventsWhileComposing();
  const int32_t k = during->FindLeft(0, 1, 2, 101);
  EXPECT_EQ(during->Command(k), 33);
  EXPECT_EQ(during->StartIntensity(k), 7);
  EXPECT_EQ(during->GetBounds(), 3);  // the red and blue parts joined
}

TEST_F(ComposeTest, ShortFadesAreMarkedAndBackedBySteps) {
  struct Case {
    int32_t length;
    int32_t command;
    std::vector<CompiledRecord> steps;  // after the fade's own record
  };
  const Case cases[] = {
      {3000, 10034, {Rec(1, 1, 1, -33, 240, 240)}},
      {3840, 10034, {Rec(1, 1, 1, -33, 240, 240)}},
      {3841, 10034, {Rec(1, 1, 1, -33, 1, 1), Rec(3840, 1, 1, -33, 120, 120)}},
      {5000, 10034, {Rec(1, 1, 1, -33, 1, 1), Rec(3840, 1, 1, -33, 120, 120)}},
      {7680, 10034, {Rec(1, 1, 1, -33, 1, 1), Rec(3840, 1, 1, -33, 120, 120)}},
      {10000,
       10034,
       {Rec(1, 1, 1, -33, 1, 1), Rec(3840, 1, 1, -33, 120, 120), Rec(7680, 1, 1, -33, 240, 240)}},
      {14999,
       10034,
       {Rec(1, 1, 1, -33, 1, 1), Rec(3840, 1, 1, -33, 120, 120), Rec(7680, 1, 1, -33, 240, 240)}},
      {15000, 34, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("length " + std::to_string(c.length));
    events_ = Events::Create();
    AddEvent(1, 1, 0, 34, 1, 240);
    AddEvent(1, 1, c.length, 33, 5, 5);
    Compose();
    std::vector<CompiledRecord> expected{
        Rec(0, 1, 1, c.command, 1, 240, CalcRampIntervals(c.length))};
    expected.insert(expected.end(), c.steps.begin(), c.steps.end());
    expected.push_back(Rec(c.length, 1, 1, 33, 5, 5));
    EXPECT_EQ(compiled_, expected);
  }
}

TEST_F(ComposeTest, ShortFadeFromDarkToFullStepsAtTheHigherLevelFirst) {
  AddEvent(1, 1, 0, 34, 240, 1);
  AddEvent(1, 1, 3000, 33, 5, 5);
  Compose();
  EXPECT_EQ(RecordsAt(1), (std::vector<CompiledRecord>{Rec(1, 1, 1, -33, 240, 240)}));
}

TEST_F(ComposeTest, RampIntervalsOnlyWhereTheLevelsDiffer) {
  AddEvent(1, 1, 0, 36, 50, 50);
  AddEvent(1, 1, 44100, 36, 50, 60);
  AddEvent(1, 2, 0, 37, 9, 9);
  AddEvent(1, 2, 88200, 37, 9, 1);
  AddEvent(1, 3, 0, 33, 1, 240);  // a level event never ramps
  AddEvent(1, 3, 88200, 33, 1, 1);
  AddEvent(1, 1, 132300, 33, 1, 1);
  AddEvent(1, 2, 132300, 33, 1, 1);
  Compose();
  EXPECT_EQ(RecordsAt(0),
            (std::vector<CompiledRecord>{Rec(0, 1, 4, 33, 1, 240), Rec(0, 1, 1, 36, 50, 50),
                                         Rec(0, 1, 2, 37, 9, 9)}));
  EXPECT_EQ(RecordsAt(44100),
            (std::vector<CompiledRecord>{Rec(44100, 1, 1, 36, 50, 60, CalcRampIntervals(88200))}));
  EXPECT_EQ(RecordsAt(88200)[0], Rec(88200, 1, 4, 33, 1, 1));
  EXPECT_EQ(RecordsAt(88200)[1], Rec(88200, 1, 2, 37, 9, 1, CalcRampIntervals(44100)));
}

TEST_F(ComposeTest, EqualChannelsOfOneDeviceMergeIntoOneMask) {
  for (int32_t channel : {1, 2, 3, 17}) AddEvent(1, channel, 100, 33, 40, 40);
  AddEvent(1, 16, 100, 33, 41, 41);
  AddEvent(2, 17, 100, 33, 40, 40);    // alone: a record naming no channel
  AddEvent(1, 4, 100, 33, 40, 40, 1);  // another setting: another record
  Compose();
  EXPECT_EQ(compiled_, (std::vector<CompiledRecord>{
                           Rec(100, 1, 7, 33, 40, 40), Rec(100, 1, 8, 33, 40, 40, {0, 0}, 1),
                           Rec(100, 1, 0x8000, 33, 41, 41), Rec(100, 2, 0, 33, 40, 40)}));
}

TEST_F(ComposeTest, DarkChannelIsRefreshedEvery2940SamplesInItsTurn) {
  AddChannel(1, 1);
  AddEvent(1, 1, 0, 33, 240, 240);
  AddEvent(1, 1, 1000000, 33, 1, 1);
  length_ = 1000000;
  Compose();
  std::vector<CompiledRecord> expected{Rec(0, 1, 1, 33, 240, 240)};
  for (int32_t pos = 8820; pos < 823600; pos += 2940) {
    if (pos > 88200) expected.push_back(Rec(pos, 1, 1, -33, 240, 240));
  }
  expected.push_back(Rec(1000000, 1, 1, 33, 1, 1));
  EXPECT_EQ(compiled_, expected);
  EXPECT_EQ(events_->GetBounds(), 1);
}

TEST_F(ComposeTest, RefreshesTakeTurnsAndKeepTheDarkEventsLevels) {
  AddChannel(1, 1);
  AddChannel(1, 2);
  AddChannel(1, 3);
  AddEvent(1, 1, 0, 33, 240, 7);   // level 240 from the start: refreshed as it is
  AddEvent(1, 2, 0, 38, 0, 0);     // black colour: refreshed by -40
  AddEvent(1, 3, 0, 38, 0, 0, 1);  // not with a setting
  length_ = 300000;
  Compose();
  // Nothing lies to the right of the dark events: no refresh at all.
  for (const CompiledRecord& r : compiled_) EXPECT_GT(r.command, 0);

  // With an event far to the right, the turns show.
  for (int32_t channel : {1, 2, 3}) AddEvent(1, channel, 900000, 33, 1, 1);
  Compose();
  std::vector<CompiledRecord> expected;
  int32_t ch = 1;
  for (int32_t pos = 8820; pos <= length_; pos += 2940, ch = ch % 3 + 1) {
    if (pos <= 88200) continue;
    if (ch == 1) expected.push_back(Rec(pos, 1, 1, -33, 240, 7));
    if (ch == 2) expected.push_back(Rec(pos, 1, 2, -40, 0, 0));
  }
  std::vector<CompiledRecord> refreshes;
  for (const CompiledRecord& r : compiled_) {
    if (r.command < 0) refreshes.push_back(r);
  }
  EXPECT_EQ(refreshes, expected);
}

TEST_F(ComposeTest, EventsAreAsBeforeAndTheHandOverFileHoldsTheRecords) {
  AddRgbChannel(1, 1, 2, 3);
  AddChannel(1, 5);
  AddEvent(1, 1, 0, 38, 0x00FF00, 0xFF0000, 3);
  AddEvent(1, 1, 5000, 33, 240, 240);
  AddEvent(1, 5, 0, 34, 1, 240);
  AddEvent(1, 5, 4000, 33, 240, 240);
  length_ = 2000000;
  const std::u16string before = events_->UndoData();
  Compose();
  EXPECT_TRUE(events_->UndoData() == before);
  std::ifstream in(Composed(), std::ios::binary);
  const std::string bytes(std::istreambuf_iterator<char>(in), {});
  EXPECT_EQ(bytes.size(), 40 * compiled_.size());
  EXPECT_EQ(bytes, WriteCompiledBlock(compiled_));
  EXPECT_EQ(host_.log.back(), "complete");
}

TEST_F(ComposeTest, StatusTextsAndProgressComeInTheirOrder) {
  AddEvent(1, 1, 0, 33, 1, 1);
  Compose();
  const std::vector<std::string> expected{"status Compiling Data For Playback",
                                          "status Compiling: RGB Data",
                                          "progress 0",
                                          "auto off",
                                          "auto on",
                                          "bookmark",
                                          "status Compiling: Refresh Points",
                                          "progress 0",
                                          "auto off",
                                          "auto on",
                                          "bookmark",
                                          "status Compiling: Creating DLS Data",
                                          "progress 0",
                                          "status Compiling: Bitmask Compression",
                                          "progress 0",
                                          "status Completing Compilation",
                                          "progress 0",
                                          "auto off",
                                          "status Updating Bookmarks",
                                          "progress 0",
                                          "auto on",
                                          "bookmark",
                                          "complete"};
  EXPECT_EQ(host_.log, expected);
}

TEST_F(ComposeTest, ProgressClimbsThroughTheLoopsOfALargeShow) {
  AddRgbChannel(1, 1, 2, 3);
  for (int32_t i = 0; i < 6000; ++i) AddEvent(1, 1 + i % 2 * 3, i * 10, 38, 0, 0xFFFFFF);
  Compose();
  std::vector<std::string> progress;
  for (const std::string& line : host_.log) {
    if (line.rfind("progress", 0) == 0 && line != "progress 0") progress.push_back(line);
  }
  // The colour parts: every 500th of 6,000 events, x 50 (13 at 1,500, 25 at 3,000, 38 at
  // 4,500), then their 9,000 parts from 49 on; the working table: every 1,000th of 15,000
  // rows, x 99.
  EXPECT_EQ(progress,
            (std::vector<std::string>{"progress 13", "progress 25", "progress 38", "progress 49",
                                      "progress 60", "progress 71", "progress 82", "progress 93",
                                      "progress 13", "progress 26", "progress 40", "progress 53",
                                      "progress 66", "progress 79", "progress 92"}));
}

TEST_F(ComposeTest, EmptyDocumentGivesAnEmptyHandOverFile) {
  std::ofstream(Composed()) << "old";
  Compose();
  EXPECT_TRUE(compiled_.empty());
  EXPECT_TRUE(std::filesystem::exists(Composed()));
  EXPECT_EQ(std::filesystem::file_size(Composed()), 0u);
  EXPECT_EQ(host_.log.back(), "complete");
}

TEST_F(ComposeTest, GeneratedLookingEventThatCannotBeRemovedIsPassedOver) {
  AddEvent(1, 1, -1, -33, 240, 240);
  AddEvent(1, 1, 50, -34, 1, 240);
  AddEvent(1, 1, 90, 33, 1, 1);
  Compose();
  ASSERT_EQ(events_->GetBounds(), 1);
  EXPECT_EQ(events_->SampleNumber(0), -1);
  EXPECT_EQ(events_->Command(0), -33);
  EXPECT_EQ(events_->SampleNumber(1), 90);
}

TEST_F(ComposeTest, UnwritableHandOverFileEndsComposeBeforeTheEventsAreRestored) {
  AddRgbChannel(1, 1, 2, 3);
  AddEvent(1, 1, 0, 38, 0, 0xFFFFFF);
  const std::filesystem::path missing = folder_.Path() / "no such folder" / "composed.tmp";
  try {
    compile::Compose({*events_, *channels_, length_, compiled_, missing}, host_);
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_EQ(e.Number(), 75);
    EXPECT_NE(e.Description().find("composed.tmp"), std::string::npos);
  }
  EXPECT_EQ(events_->GetBounds(), 3);  // the parts are still there
  EXPECT_NE(host_.log.back(), "complete");
}

TEST_F(ComposeTest, NothingIsPlacedPastTheLastSample) {
  AddRgbChannel(1, 1, 2, 3);
  AddEvent(1, 1, INT32_MAX, 38, 0, 0xFFFFFF);  // its parts would come one sample later
  AddEvent(1, 5, INT32_MAX, 34, 1, 240);       // its step too
  AddChannel(1, 6);
  AddEvent(1, 6, 0, 33, 240, 240);
  AddEvent(1, 6, INT32_MAX - 10, 33, 1, 1);
  length_ = INT32_MAX;  // the refresh walk ends without passing the last sample
  Compose();
  EXPECT_EQ(RecordsAt(INT32_MAX), (std::vector<CompiledRecord>{
                                      Rec(INT32_MAX, 1, 1, 38, 0, 0xFFFFFF, CalcRampIntervals(1)),
                                      Rec(INT32_MAX, 1, 16, 10034, 1, 240, CalcRampIntervals(1))}));
  // Channel (1,6) has every other turn; its last lies 176,400 samples before its next event.
  std::vector<int32_t> refreshes;
  for (const CompiledRecord& r : compiled_) {
    if (r.command == -33) refreshes.push_back(r.sample_number);
  }
  ASSERT_FALSE(refreshes.empty());
  EXPECT_EQ(refreshes.front(), 8820 + 2940 * 29);
  EXPECT_EQ(refreshes.back(), 2147305440);
  EXPECT_EQ(events_->GetBounds(), 3);
}

TEST(ColourToIntensitiesTest, ComponentsMapToLevels) {
  EXPECT_EQ(compile::ColourToIntensities(0), (std::array<int32_t, 3>{240, 240, 240}));
  EXPECT_EQ(compile::ColourToIntensities(0xFFFFFF), (std::array<int32_t, 3>{1, 1, 1}));
  EXPECT_EQ(compile::ColourToIntensities(0x0080FF), (std::array<int32_t, 3>{1, 120, 240}));
  EXPECT_EQ(compile::ColourToIntensities(0xFF000000), (std::array<int32_t, 3>{240, 240, 240}));
}

}  // namespace
}  // namespace quarnel::dataapi
