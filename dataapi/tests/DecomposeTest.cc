// Decompiling compiled playback records back into events, and the backup rows.
#include "dataapi/File.h"
#include "dataapi/collections/EventTable.h"
#include "dataapi/tests/DocumentFixture.h"
#include "platform/base/Error.h"
#include "platform/recordset/Recordset.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace quarnel::dataapi::testing {
namespace {

using Rows = std::vector<std::vector<int32_t>>;

// Every event: device, channel, sample, command, start, end, short, long, setting 0.
Rows EventsOf(const File& doc) {
  Rows rows;
  for (int32_t i = 0; i <= doc.Events()->GetBounds(); ++i) {
    const EventRecord e = doc.Events()->Record(i);
    rows.push_back({e.device, e.channel, e.sample_number, e.command, e.start_intensity,
                    e.end_intensity, e.short_interval, e.long_interval, e.settings[0]});
  }
  return rows;
}

TEST(DecomposeTest, EachMaskBitOfAPositiveCommandBecomesOneEvent) {
  struct Case {
    const char* what;
    std::vector<CompiledRecord> records;
    Rows expected;
  };
  const Case cases[] = {
      {"mask 5, command 33",
       {{1000, 0, 2, 5, 33, 240, 240, 0, 0, 1}},
       {{2, 1, 1000, 33, 240, 240, 0, 0, 1}, {2, 3, 1000, 33, 240, 240, 0, 0, 1}}},
      {"command 23: channels 9 up",
       {{1000, 0, 2, 5, 23, 240, 240, 0, 0, 0}},
       {{2, 9, 1000, 33, 240, 240, 0, 0, 0}, {2, 11, 1000, 33, 240, 240, 0, 0, 0}}},
      {"a short fade keeps its intervals",
       {{1000, 0, 2, 1, 10034, 240, 1, 39, 136, 0}},
       {{2, 1, 1000, 34, 240, 1, 39, 136, 0}}},
      {"records made by compiling give nothing",
       {{1, 0, 2, 0xFFFF, -33, 1, 1, 0, 0, 0},
        {1, 0, 2, 0xFFFF, -34, 1, 1, 0, 0, 0},
        {1, 0, 2, 0xFFFF, -36, 1, 1, 0, 0, 0},
        {1, 0, 2, 0xFFFF, -37, 1, 1, 0, 0, 0},
        {1, 0, 2, 0xFFFF, -40, 1, 1, 0, 0, 0},
        {1, 0, 2, 0xFFFF, -10034, 1, 1, 0, 0, 0},
        {1, 0, 2, 0xFFFF, 0, 1, 1, 0, 0, 0}},
       {}},
      {"mask 0", {{1, 0, 2, 0, 33, 1, 1, 0, 0, 0}}, {}},
      {"the first of two records naming one channel at one sample stays",
       {{1000, 0, 2, 0x0100, 33, 100, 100, 0, 0, 0}, {1000, 0, 2, 0x0001, 23, 200, 200, 0, 0, 0}},
       {{2, 9, 1000, 33, 100, 100, 0, 0, 0}}},
      {"events sort by address and sample",
       {{2000, 0, 2, 1, 33, 1, 1, 0, 0, 0}, {1000, 0, 2, 3, 33, 2, 2, 0, 0, 0}},
       {{2, 1, 1000, 33, 2, 2, 0, 0, 0},
        {2, 1, 2000, 33, 1, 1, 0, 0, 0},
        {2, 2, 1000, 33, 2, 2, 0, 0, 0}}},
  };
  for (const Case& c : cases) {
    Ref<File> doc = File::Create();
    doc->Events()->Add(0, 5, 5, 5);  // replaced
    doc->CompiledData() = c.records;
    doc->Decompose();
    EXPECT_EQ(EventsOf(*doc), c.expected) << c.what;
    EXPECT_EQ(doc->CompiledData(), c.records) << c.what;  // left as it was
  }
}

TEST(DecomposeTest, ProgressRunsTo70InStepsOfMoreThan10) {
  struct Case {
    size_t records;
    std::vector<std::string> expected;
  };
  const Case cases[] = {
      {0, {"status Decompiling Data For Editing"}},
      {1, {"status Decompiling Data For Editing"}},  // 0 / 0 counts as 0
      {8, {"status Decompiling Data For Editing", "progress 20", "progress 40", "progress 60"}},
  };
  for (const Case& c : cases) {
    Ref<File> doc = File::Create();
    Recorder r(*doc);
    for (size_t i = 0; i < c.records; ++i) {
      doc->CompiledData().push_back({static_cast<int32_t>(i), 0, 1, 1, 33, 1, 1, 0, 0, 0});
    }
    doc->Decompose();
    EXPECT_EQ(r.heard, c.expected) << c.records << " records";
    EXPECT_EQ(doc->Events()->GetBounds(), static_cast<int32_t>(c.records) - 1);
  }
}

TEST(DecomposeTest, TheEventTableHasTheEventFieldsInOrder) {
  std::unique_ptr<Recordset> table = MakeEventTable();
  std::vector<std::string> names;
  for (Field& f : table->Fields()) {
    names.push_back(f.Name());
    EXPECT_EQ(f.Type(), DataTypeEnum::adInteger);
  }
  EXPECT_EQ(names, (std::vector<std::string>{"SampleNumber", "Network", "Device", "Channel",
                                             "Command", "StartIntensity", "EndIntensity",
                                             "ShortInterval", "LongInterval", "Setting0"}));
  EXPECT_EQ(table->RecordCount(), 0);
  EXPECT_TRUE(table->Sort().empty());
  EXPECT_NE(table->Fields()["Channel"].Properties("Optimize").ToInt32("Test"), 0);
  EXPECT_EQ(table->Fields()["Command"].Properties("Optimize").ToInt32("Test"), 0);
}

TEST(DecomposeTest, BackupRowsComeBackAsTheEventsThemselves) {
  Ref<File> doc = File::Create();
  doc->Channels()->Add(0, 1, 20, u"twenty", 1);
  doc->SetAutoRefresh(false);
  doc->BackupData() = {{500, 0, 1, 20, 5, 240, 1, 3, 4, 1}, {7, 0, 1, 20, -40, 0, 0, 0, 0, 0}};
  doc->RecordsToEvents();
  EXPECT_EQ(EventsOf(*doc),
            (Rows{{1, 20, 7, -40, 0, 0, 0, 0, 0}, {1, 20, 500, 5, 240, 1, 3, 4, 1}}));
  EXPECT_TRUE(doc->AutoRefresh());
  EXPECT_EQ(doc->Bookmark()->FindLeft(1, 500), 0);
}

TEST(DecomposeTest, WithoutAnEventsObjectDecompilingFails) {
  Ref<File> doc = File::Create();
  doc->SetEvents(nullptr);
  doc->CompiledData().push_back({1, 0, 1, 1, 33, 1, 1, 0, 0, 0});
  try {
    doc->Decompose();
    FAIL();
  } catch (const Error& e) {
    EXPECT_EQ(e.Number(), Error::kObjectNotSet);
  }
}

}  // namespace
}  // namespace quarnel::dataapi::testing
