#include "dataapi/Events.h"
#include "platform/base/Error.h"
#include "platform/recordset/Recordset.h"

#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace quarnel::dataapi {
namespace {

// The event table as the library builds it for loading, without the fields in skip.
void MakeEventTable(Recordset& rs, const std::string& skip = "",
                    DataTypeEnum command_type = DataTypeEnum::adInteger) {
  for (const char* name :
       {"SampleNumber", "Network", "Device", "Channel", "Command", "StartIntensity", "EndIntensity",
        "ShortInterval", "LongInterval", "Setting0"}) {
    if (name == skip) continue;
    bool text = std::string(name) == "Command" && command_type != DataTypeEnum::adInteger;
    rs.Fields().Append(name, text ? command_type : DataTypeEnum::adInteger, text ? 20 : 0);
  }
  rs.Open();
  for (const char* name : {"SampleNumber", "Network", "Device", "Channel"}) {
    if (name != skip) rs.Fields()[name].SetProperties("Optimize", Value(1));
  }
}

void AddRow(Recordset& rs, const EventRecord& r) {
  rs.AddNew();
  Fields& f = rs.Fields();
  auto set = [&](const char* name, int32_t v) {
    if (Field* field = f.Find(name); field && field->Type() == DataTypeEnum::adInteger) {
      field->SetInt32(v);
    }
  };
  set("Network", r.network);
  set("Device", r.device);
  set("Channel", r.channel);
  set("SampleNumber", r.sample_number);
  set("Command", r.command);
  set("StartIntensity", r.start_intensity);
  set("EndIntensity", r.end_intensity);
  set("ShortInterval", r.short_interval);
  set("LongInterval", r.long_interval);
  set("Setting0", r.settings[0]);
}

EventRecord Ev(int32_t n, int32_t d, int32_t c, int32_t s, int32_t command) {
  EventRecord r;
  r.network = n, r.device = d, r.channel = c, r.sample_number = s, r.command = command;
  r.short_interval = command + 1;
  r.long_interval = command + 2;
  r.settings[0] = command + 3;
  return r;
}

struct Counter {
  int refreshes = 0;
  std::vector<std::u16string> status_texts;
  Ref<EventHandlers<EventsEvents>> sink = MakeRef<EventHandlers<EventsEvents>>();
  explicit Counter(Events& e) {
    sink->on_refresh = [this] { ++refreshes; };
    sink->on_status_change = [this](std::u16string& text) { status_texts.push_back(text); };
    e.Advise(sink);
  }
};

TEST(EventsBulkCreateTest, SortsKeepsTheFirstOfEqualKeysAndRefreshesOnce) {
  Recordset rs;
  MakeEventTable(rs);
  AddRow(rs, Ev(0, 1, 10, 5, 1));
  AddRow(rs, Ev(0, 1, 9, 200, 2));
  AddRow(rs, Ev(0, 1, 9, 200, 3));  // same address and sample: dropped
  AddRow(rs, Ev(0, 1, 9, 1000, 4));
  AddRow(rs, Ev(-1, 0, 0, 0, 5));
  Ref<Events> e = Events::Create();
  e->Add(7, 7, 7, 7);  // replaced
  Counter counter(*e);
  e->BulkCreate(rs);
  EXPECT_EQ(counter.refreshes, 1);
  ASSERT_EQ(e->GetBounds(), 3);
  const EventRecord expected[] = {Ev(-1, 0, 0, 0, 5), Ev(0, 1, 9, 200, 2), Ev(0, 1, 9, 1000, 4),
                                  Ev(0, 1, 10, 5, 1)};
  for (int32_t i = 0; i < 4; ++i) EXPECT_EQ(e->Record(i), expected[i]) << i;
  EXPECT_EQ(e->FindLeft(0, 1, 9, 999), 1);
  EXPECT_EQ(e->FindBegin(0, 1, 10), 3);
}

// A record whose keys would not fit their columns is left out, as Add refuses it; the
// others load, and a status text says how many were left out.
TEST(EventsBulkCreateTest, RecordsWhoseKeysDoNotFitAreSkippedAndCounted) {
  struct Case {
    std::vector<EventRecord> records;
    std::vector<std::u16string> status_texts;
  };
  const EventRecord wide_channel = Ev(-2147483647, -2147483647, 1, 0, 2);         // 25 characters
  const EventRecord wide_event = Ev(-2147483647, -214748364, 1, -2147483648, 3);  // 36
  const Case cases[] = {
      {{Ev(0, 1, 1, 100, 1), Ev(0, 1, 2, 5, 4)}, {}},
      {{Ev(0, 1, 1, 100, 1), wide_channel, Ev(0, 1, 2, 5, 4)},
       {u"1 event was not loaded: its address and sample number do not fit the event key."}},
      {{wide_event, Ev(0, 1, 1, 100, 1), wide_channel, Ev(0, 1, 2, 5, 4), wide_event},
       {u"3 events were not loaded: their addresses and sample numbers do not fit the event "
        u"key."}},
  };
  for (const Case& c : cases) {
    Recordset rs;
    MakeEventTable(rs);
    for (const EventRecord& r : c.records) AddRow(rs, r);
    Ref<Events> e = Events::Create();
    Counter counter(*e);
    e->BulkCreate(rs);
    EXPECT_EQ(counter.refreshes, 1);
    EXPECT_EQ(counter.status_texts, c.status_texts);
    ASSERT_EQ(e->GetBounds(), 1);
    EXPECT_EQ(e->Record(0), Ev(0, 1, 1, 100, 1));
    EXPECT_EQ(e->Record(1), Ev(0, 1, 2, 5, 4));
  }
}

TEST(EventsBulkCreateTest, MissingFieldChangesNothing) {
  for (const char* missing : {"LongInterval", "Network", "ShortInterval"}) {
    Recordset rs;
    MakeEventTable(rs, missing);
    AddRow(rs, Ev(0, 1, 1, 1, 1));
    Ref<Events> e = Events::Create();
    e->Add(7, 7, 7, 7);
    Counter counter(*e);
    e->BulkCreate(rs);
    EXPECT_EQ(counter.refreshes, 0) << missing;
    ASSERT_EQ(e->GetBounds(), 0);
    EXPECT_EQ(e->Network(0), 7);
  }
}

TEST(EventsBulkCreateTest, SettingFieldIsOptionalAndEmptyTableEmpties) {
  Recordset rs;
  MakeEventTable(rs, "Setting0");
  AddRow(rs, Ev(0, 1, 1, 1, 4));
  Ref<Events> e = Events::Create();
  e->BulkCreate(rs);
  ASSERT_EQ(e->GetBounds(), 0);
  EXPECT_EQ(e->Setting(0, 0), 0);
  EXPECT_EQ(e->LongInterval(0), 6);
  Recordset empty;
  MakeEventTable(empty);
  e->BulkCreate(empty);
  EXPECT_EQ(e->GetBounds(), -1);
}

TEST(EventsBulkCreateTest, ValueThatIsNoNumberRaisesAndKeepsTheEvents) {
  Recordset rs;
  MakeEventTable(rs, "", DataTypeEnum::adVarChar);
  AddRow(rs, Ev(0, 1, 1, 1, 0));
  rs.Fields()["Command"].SetText("twelve");
  Ref<Events> e = Events::Create();
  e->Add(7, 7, 7, 7);
  try {
    e->BulkCreate(rs);
    ADD_FAILURE() << "no error";
  } catch (const Error& err) {
    EXPECT_EQ(err.Number(), 13);
  }
  ASSERT_EQ(e->GetBounds(), 0);
  EXPECT_EQ(e->Network(0), 7);
}

TEST(EventsBulkCreateTest, TextFieldsAreOrderedAsNumbers) {
  Recordset rs;
  for (const char* name : {"Network", "Device", "Channel", "Command", "StartIntensity",
                           "EndIntensity", "ShortInterval", "LongInterval"}) {
    rs.Fields().Append(name, DataTypeEnum::adInteger);
  }
  rs.Fields().Append("SampleNumber", DataTypeEnum::adVarChar, 12);
  rs.Open();
  for (const char* sample : {"1000", "200", "-5", "30"}) {
    rs.AddNew();
    rs.Fields()["SampleNumber"].SetText(sample);
  }
  Ref<Events> e = Events::Create();
  e->BulkCreate(rs);
  ASSERT_EQ(e->GetBounds(), 3);
  const int32_t expected[] = {-5, 30, 200, 1000};
  for (int32_t i = 0; i < 4; ++i) EXPECT_EQ(e->SampleNumber(i), expected[i]);
  EXPECT_EQ(e->FindLeft(0, 0, 0, 250), 2);
}

TEST(EventsBulkCreateTest, AgreesWithAddManyOnRandomData) {
  std::mt19937 rng(99);
  std::uniform_int_distribution<int32_t> small(-1, 3), sample(-2, 30), any(-500, 500);
  for (int round = 0; round < 10; ++round) {
    Recordset rs;
    MakeEventTable(rs);
    std::vector<EventRecord> records;
    for (int i = 0; i < 500; ++i) {
      records.push_back(Ev(small(rng), small(rng), small(rng), sample(rng), any(rng)));
      // Now and then an address whose keys do not fit: AddMany leaves it out too.
      if (i % 37 == 0) records.back() = Ev(-2147483647, -2147483647, 1, 0, i);
      if (i % 41 == 0) records.back() = Ev(-2147483647, -214748364, 1, -2147483648, i);
      AddRow(rs, records.back());
    }
    Ref<Events> bulk = Events::Create(), merged = Events::Create();
    bulk->BulkCreate(rs);
    merged->AddMany(records);
    ASSERT_EQ(bulk->UndoData(), merged->UndoData()) << round;
  }
}

}  // namespace
}  // namespace quarnel::dataapi
