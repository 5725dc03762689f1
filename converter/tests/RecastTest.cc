#include "converter/ConversionError.h"
#include "converter/tests/RecastFixture.h"
#include "dataapi/File.h"
#include "platform/base/Error.h"

#include <algorithm>
#include <fstream>

#include <gtest/gtest.h>

namespace quarnel::converter::testing {
namespace {

namespace fs = std::filesystem;

const int32_t R = Options().shimmer_period;
const int32_t D = Options().shimmer_on_time;

ShowChannel Single(int32_t device, int32_t channel, const std::string& name) {
  return {name, 1, device, channel, 1, 0x123456};
}
ShowChannel FreeRgb(int32_t device) {
  return {"Wash", 1, device, 1, kFreeRgbType, 0, device, device, 2, 3};
}

TEST_F(RecastTest, EachCommandAsItsChannelAllows) {
  struct Case {
    const char* what;
    ShowChannel channel;
    dataapi::EventRecord event;
    std::vector<DmxEvent> expected;
  } cases[] = {
      {"steady", Single(1, 1, "A"), At(1, 1, 1000, 33, 100, 100), {{1, 1, 1000, 100}}},
      {"steady 120 on RGB", FreeRgb(1), At(1, 1, 1000, 33, 120, 120), {}},
      {"steady 240 on RGB",
       FreeRgb(1),
       At(1, 1, 1000, 33, 240, 240),
       {{1, 1, 1000, 240}, {1, 2, 1000, 240}, {1, 3, 1000, 240}}},
      {"fade on RGB", FreeRgb(1), At(1, 1, 1000, 34, 240, 1), {}},
      {"command 35", Single(1, 1, "A"), At(1, 1, 1000, 35, 100, 100), {}},
      {"colour with Setting 0 = 6 shimmers",
       FreeRgb(1),
       At(1, 1, 0, 38, 0x0000FF, 0x0000FF, 6),
       {{1, 1, 0, 1},
        {1, 1, R, 1},
        {1, 1, R + D, 121},
        {1, 1, 2 * R, 1},
        {1, 2, 0, 240},
        {1, 2, R, 240},
        {1, 2, R + D, 240},
        {1, 2, 2 * R, 240},
        {1, 3, 0, 240},
        {1, 3, R, 240},
        {1, 3, R + D, 240},
        {1, 3, 2 * R, 240}}},
  };
  for (const Case& c : cases) {
    Show show;
    show.length = 2 * R + 10;
    show.channels = {c.channel};
    show.events = {c.event};
    EXPECT_EQ(Convert(show).events, c.expected) << c.what;
  }
}

TEST_F(RecastTest, EffectEndsAtTheNextEventOfItsOwnChannel) {
  Show show;
  show.length = 2 * 88200;
  show.channels = {Single(1, 1, "A"), Single(1, 2, "B"), Single(1, 3, "C")};
  show.events = {At(1, 1, 0, 34, 240, 1), At(1, 1, 88200, 34, 240, 1),  // A: two fades
                 At(1, 2, 10, 33, 100, 100),                            // B: earlier in time
                 At(1, 3, 3 * 88200, 34, 240, 1)};                      // C: after the end
  const std::vector<DmxEvent> events = Convert(show).events;
  std::vector<DmxEvent> a, c;
  for (const DmxEvent& e : events) (e.channel == 1 ? a : e.channel == 3 ? c : a).push_back(e);
  ASSERT_EQ(a.size(), 51u);  // 25 steps per fade, and B's one step
  EXPECT_TRUE(std::is_sorted(a.begin(), a.end() - 1, [](const DmxEvent& x, const DmxEvent& y) {
    return x.sample < y.sample;
  }));
  EXPECT_EQ(a[24], (DmxEvent{1, 1, 87832, 1}));
  EXPECT_EQ(a[25], (DmxEvent{1, 1, 88200, 240}));
  EXPECT_EQ(a[49], (DmxEvent{1, 1, 88200 + 87832, 1}));           // ends at the show's Length
  EXPECT_EQ(c, (std::vector<DmxEvent>{{1, 3, 3 * 88200, 240}}));  // no span: first step only
}

TEST_F(RecastTest, TwoStepsOnOneSampleKeepTheFirst) {
  Show show;
  show.length = 1000;
  show.channels = {Single(1, 1, "A")};
  // The fade's last step falls on the next event's sample, which is written after it.
  show.events = {At(1, 1, 0, 34, 240, 1), At(1, 1, 1, 33, 100, 100)};
  for (bool bulk : {true, false}) {
    EXPECT_EQ(Convert(show, {}, bulk).events, (std::vector<DmxEvent>{{1, 1, 0, 240}, {1, 1, 1, 1}}))
        << bulk;
  }
}

TEST_F(RecastTest, StatusesReportAndStoredValues) {
  Show show;
  show.title = "Evening";
  show.length = 5000;
  show.channels = {Single(1, 1, "A"), FreeRgb(2), {"Off table", 33, 1, 1, 1, 0}};
  show.events = {At(1, 1, 0, 33, 10, 10), {33, 1, 1, 0, 33, 10, 10, 0, 0, {}}};
  const Outcome first = Convert(show);
  EXPECT_EQ(first.result.new_name, dir_ / "Show_DMX.dls");
  EXPECT_EQ(first.result.events_created, 1);
  ASSERT_EQ(warnings.size(), 1u);
  EXPECT_NE(warnings[0].find("\"Off table\" (network 33, device 1, channel 1)"), std::string::npos);

  const std::vector<std::string> ours = {"Loading Device Remap Table",
                                         "Opening File " + (dir_ / "Show.dls").string(),
                                         "Setting Up New File " + (dir_ / "Show_DMX.dls").string(),
                                         "Creating Channel A",
                                         "Creating Channel Wash (Red)",
                                         "Creating Channel Wash (Green)",
                                         "Creating Channel Wash (Blue)",
                                         "Recasting events 0 of 1",
                                         "Bookmarking",
                                         "Saving Sequence",
                                         "Done: 1 events created."};
  std::vector<std::string> seen;
  for (const std::string& s : statuses) {
    if (std::find(ours.begin(), ours.end(), s) != ours.end()) seen.push_back(s);
  }
  EXPECT_EQ(seen, ours);
  EXPECT_NE(std::find(statuses.begin(), statuses.end(), "Decompiling Data For Editing"),
            statuses.end());  // the library's own texts are passed on

  ASSERT_EQ(first.result.channel_lines.size(), 4u);
  EXPECT_EQ(first.result.channel_lines[2],
            "Wash (Green)                     1   2   (2  ) 2       32  2   (2  ) 2       18");

  Ref<dataapi::File> saved = dataapi::File::Create();
  saved->Load((dir_ / "Show_DMX.dls").u16string(), dataapi::FileTypeDLS);
  EXPECT_EQ(saved->Title(), u"Evening");
  EXPECT_EQ(saved->Length(), 5000);
  EXPECT_NEAR(saved->Version(), 1.2, 1e-6);

  // A second conversion in the same run lists its own channels and goes on numbering.
  Show other;
  other.channels = {Single(5, 1, "Z")};
  const Outcome second = Convert(other, {}, true, "Other.dls");
  ASSERT_EQ(second.result.channel_lines.size(), 1u);
  EXPECT_TRUE(second.result.channel_lines[0].ends_with("32  3   (3  ) 1       33"));
  EXPECT_EQ(remaps_.DeviceLines().size(), 3u);
}

TEST_F(RecastTest, FailuresSaveNothingAndKeepTheSource) {
  // An older table gives two source devices the same DMX device.
  std::string table(31812, '\0');
  table[(2 * 33 + 1) * 4] = 1;
  table[(3 * 33 + 1) * 4] = 1;
  std::ofstream(dir_ / DeviceRemaps::kFileName, std::ios::binary) << table;
  Show show;
  show.channels = {Single(1, 1, "New"), Single(2, 1, "Old"), Single(3, 1, "Clash")};
  try {
    Convert(show);
    ADD_FAILURE() << "converted";
  } catch (const ConversionError& e) {
    EXPECT_EQ(std::string(e.what()).rfind("Error: Duplicate Channel D: 1 C: 1\n", 0), 0u);
  }
  EXPECT_FALSE(fs::exists(dir_ / "Show_DMX.dls"));
  DeviceRemaps reloaded(dir_ / DeviceRemaps::kFileName);
  reloaded.LoadRemapTable();
  EXPECT_EQ(reloaded.Entry(1, 1), 2);  // the entry made before the failure stays

  const std::string source = Bytes(dir_ / "Show.dls");
  EXPECT_THROW(Recast({dir_ / "Missing.dls", {}, true}, *library_, remaps_, rnd_, *this),
               quarnel::Error);
  EXPECT_THROW(Recast({dir_ / "Show.dls.bak", {}, true}, *library_, remaps_, rnd_, *this),
               ConversionError);
  EXPECT_EQ(Bytes(dir_ / "Show.dls"), source);

  // Upper-case extension, and a folder whose name holds ".dls".
  fs::create_directories(dir_ / "my.dls.old");
  Show fine;
  fine.channels = {Single(9, 1, "Fine")};
  EXPECT_EQ(Convert(fine, {}, true, "my.dls.old/Show.DLS").result.new_name,
            dir_ / "my.dls.old" / "Show_DMX.dls");
}

}  // namespace
}  // namespace quarnel::converter::testing
