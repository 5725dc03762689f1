// Load of sequence files of each kind: steps in order, the workspace caches, stored values.
#include "dataapi/tests/DocumentFixture.h"
#include "dataapi/tests/SequenceFiles.h"
#include "platform/base/Environment.h"
#include "platform/base/Error.h"
#include "platform/base/PathText.h"
#include "platform/tests/TestSystem.h"

#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace quarnel::dataapi::testing {
namespace {

using Lines = std::vector<std::string>;

class LoadTest : public DocumentTest {
 protected:
  // A sequence with two marks, one channel, one drawing object, one tool and one history
  // row, and two compiled records (the second one made by compiling).
  SequenceFile Sample() {
    SequenceFile f;
    f.SetText("name", "/shows/original.dls");
    f.SetText("title", "Winter show");
    f.SetText("author", "Ann");
    f.SetText("avfile", "music.mp3");
    f.SetText("picture", "house.bmp");
    f.Set("editcount", 12).Set("height", 480).Set("width", 640).Set("top", 5).Set("left", 6);
    f.Set("length", 882000);
    f.SetText("events", MarksImage(marks_));
    f.SetText("channels", channels_);
    f.SetText("vectorgraphics", drawing_);
    f.SetText("toolconfig", tools_);
    f.SetText("toolhistory", history_);
    f.SetData(records_);
    f.SetText("alternatemediafile", "second.wav");
    f.Set("imagebrightness", 80);
    f.Set("filemajorversion", 2).Set("fileminorversion", 5);
    return f;
  }
  std::u16string WriteSample(const std::string& name = "show.dls") {
    Sample().Write(PathOf(name));
    return U16(PathOf(name).string());
  }

  const std::vector<int32_t> marks_ = {4410, 88200};
  const std::string channels_ = ChannelTableImage(
      {{"[Reserved Channel]"}, {"Red lamp", 0, 1, 1, 12, 255, {{16, 1}, {255, 9}}}});
  const std::string drawing_ = DrawingTableImage({{1, 2, 10, 20, 30, 40, 250, 500, 7, 1001}});
  const std::string tools_ = ToolTableImage({{7, 1, 240, {3}}});
  const std::string history_ = ToolTableImage({{8, 2, 239, {4}}});
  const std::vector<CompiledRecord> records_ = {{100, 0, 1, 0x0001, 33, 10, 10, 0, 0, 2},
                                                {200, 0, 1, 0x0001, -33, 240, 240, 0, 0, 0}};
};

TEST_F(LoadTest, EachFileTypeRaisesItsStatusTextsAndEventsInOrder) {
  const std::u16string path = WriteSample();
  const std::string opening = "status Opening File: " + Ascii(path);
  struct Case {
    FileType type;
    Lines expected;
  };
  const Case cases[] = {
      {FileTypeDLS,
       {opening, "status Opening Table: Timeline", "status Opening Table: Channels",
        "status Opening Table: Vector Graphics", "status Opening Table: Tool Settings",
        "tool 7 1 240 3", "status Opening Table: History", "history 8 2 239 4",
        "status Opening Table: Events", "compose", "status Decompiling Data For Editing",
        "progress 70"}},
      {FileTypeFastDLS,
       {opening, "status Opening Table: Timeline", "status Opening Table: Channels",
        "status Opening Table: Events", "compose"}},
      {FileTypeBAK,
       {opening, "status Opening Table: Timeline", "status Opening Table: Channels",
        "status Opening Table: Vector Graphics", "status Opening Table: Tool Settings",
        "tool 7 1 240 3", "status Opening Table: History", "history 8 2 239 4",
        "status Opening Table: Events"}},
  };
  for (const Case& c : cases) {
    Ref<File> doc = File::Create();
    Recorder r(*doc);
    doc->Load(path, c.type);
    EXPECT_EQ(r.heard, c.expected) << "file type " << c.type;
  }
}

TEST_F(LoadTest, AFullLoadFillsTheDocumentAndTheWorkspace) {
  const std::u16string path = WriteSample();
  Ref<File> doc = File::Create();
  Ref<Bookmark> bookmark = doc->Bookmark();
  Ref<Events> old_events = doc->Events();
  int32_t events_at_compose = -2;
  std::string composed_at_compose;
  auto sink = MakeRef<FileEventHandlers>();
  sink->on_compose_complete = [&] {
    events_at_compose = doc->Events()->GetBounds();
    composed_at_compose = Cache("composed.tmp");
  };
  doc->Advise(sink);
  doc->Load(path, FileTypeDLS);

  EXPECT_EQ(doc->Name(), path);
  EXPECT_EQ(doc->Title(), u"Winter show");
  EXPECT_EQ(doc->Author(), u"Ann");
  EXPECT_EQ(doc->AVFile(), u"music.mp3");
  EXPECT_EQ(doc->Picture(), u"house.bmp");
  EXPECT_EQ((std::vector<int32_t>{doc->EditCount(), doc->Height(), doc->Width(), doc->Top(),
                                  doc->Left(), doc->Length(), doc->ImageBrightness()}),
            (std::vector<int32_t>{12, 480, 640, 5, 6, 882000, 80}));
  EXPECT_EQ(doc->AlternateMediaFile(), u"second.wav");
  EXPECT_EQ(doc->Version(), 2.5);

  EXPECT_EQ(doc->Timeline()->GetBounds(), 1);
  EXPECT_EQ(doc->Timeline()->SampleNumber(1), 88200);
  ASSERT_EQ(doc->Channels()->GetBounds(), 1);
  EXPECT_EQ(doc->Channels()->Name(1), u"Red lamp");
  EXPECT_EQ(doc->Channels()->DeviceType(1), 12);
  EXPECT_EQ(doc->Channels()->Color(1), 255);
  EXPECT_EQ(doc->Channels()->Setting(1, 16), 1);
  EXPECT_EQ(doc->Channels()->Setting(1, 255), 9);
  ASSERT_EQ(doc->DrawObjects()->GetBounds(), 0);
  EXPECT_EQ(doc->DrawObjects()->Device(0), 1);
  EXPECT_EQ(doc->DrawObjects()->Style(0), 2);
  EXPECT_EQ(doc->DrawObjects()->Radius(0), 7);
  EXPECT_EQ(doc->DrawObjects()->ArcStart(0), 0.25);
  EXPECT_EQ(doc->DrawObjects()->ArcEnd(0), 0.5);
  EXPECT_EQ(doc->DrawObjects()->Aspect(0), 1.001);  // exact: not one thousandth less

  // The events come back by decompiling, after ComposeComplete; the record made by
  // compiling gives none.
  EXPECT_EQ(events_at_compose, -1);
  ASSERT_EQ(doc->Events()->GetBounds(), 0);
  EXPECT_EQ(doc->Events()->Record(0), (EventRecord{0, 1, 1, 100, 33, 10, 10, 0, 0, {2}}));
  EXPECT_NE(doc->Events(), old_events);
  EXPECT_EQ(doc->Bookmark(), bookmark);  // kept, and rebuilt from the new collections
  EXPECT_EQ(bookmark->LeftTable().channels, 2);
  EXPECT_TRUE(doc->CompiledData().empty());

  const std::string data = WriteCompiledBlock(records_);
  EXPECT_EQ(composed_at_compose, data);
  EXPECT_EQ(Cache("composed.tmp"), data);
  EXPECT_EQ(Cache("dtcache.tmp"), data);
  EXPECT_EQ(Cache("evcache.tmp"), MarksImage(marks_));
  EXPECT_EQ(Cache("chcache.tmp"), channels_);
  EXPECT_EQ(Cache("vgcache.tmp"), drawing_);
  EXPECT_EQ(Cache("tccache.tmp"), tools_);
  EXPECT_EQ(Cache("hscache.tmp"), history_);
}

TEST_F(LoadTest, APlaybackLoadTakesTimelineAndChannelsOnly) {
  const std::u16string path = WriteSample();
  for (const char* name : {"tccache.tmp", "hscache.tmp", "vgcache.tmp"}) WriteCache(name, "old");
  Ref<File> doc = File::Create();
  doc->Load(path, FileTypeFastDLS);
  EXPECT_FALSE(doc->DrawObjects());
  EXPECT_EQ(doc->Events()->GetBounds(), -1);
  EXPECT_EQ(doc->Channels()->GetBounds(), 1);
  EXPECT_EQ(doc->Timeline()->GetBounds(), 1);
  EXPECT_EQ(doc->Title(), u"Winter show");
  for (const char* name : {"tccache.tmp", "hscache.tmp", "vgcache.tmp"}) {
    EXPECT_EQ(Cache(name), "old") << name;
  }
  EXPECT_EQ(Cache("composed.tmp"), WriteCompiledBlock(records_));
  EXPECT_EQ(Cache("chcache.tmp"), channels_);
}

TEST_F(LoadTest, ABackupLoadTakesTheStoredNameAndTheEventsThemselves) {
  // Backup rows hold the channel itself, which may lie outside 1 to 16, and any command.
  SequenceFile f = Sample();
  f.SetData({{500, 0, 1, 20, 5, 240, 1, 3, 4, 1},
             {100, 0, 1, 1, -33, 10, 10, 0, 0, 0},
             {100, 0, 1, 1, 34, 20, 20, 0, 0, 0}});  // same channel and sample: the first stays
  f.Write(PathOf("show.bak"));
  WriteCache("composed.tmp", "player data");
  Ref<File> doc = File::Create();
  doc->SetAutoRefresh(false);
  Recorder r(*doc);
  doc->Load(U16(PathOf("show.bak").string()), FileTypeBAK);

  EXPECT_EQ(doc->Name(), u"/shows/original.dls");
  EXPECT_TRUE(doc->AutoRefresh());
  EXPECT_EQ(Cache("composed.tmp"), "player data");
  EXPECT_EQ(std::count(r.heard.begin(), r.heard.end(), "compose"), 0);
  ASSERT_EQ(doc->Events()->GetBounds(), 1);
  EXPECT_EQ(doc->Events()->Record(0), (EventRecord{0, 1, 1, 100, -33, 10, 10, 0, 0, {0}}));
  EXPECT_EQ(doc->Events()->Record(1), (EventRecord{0, 1, 20, 500, 5, 240, 1, 3, 4, {1}}));
  EXPECT_TRUE(doc->BackupData().empty());
  EXPECT_EQ(doc->DrawObjects()->GetBounds(), 0);
  EXPECT_EQ(doc->Bookmark()->LeftTable().channels, 2);
}

TEST_F(LoadTest, EmptyPlaybackDataLoadsWithNoEvents) {
  for (FileType type : {FileTypeDLS, FileTypeBAK}) {
    SequenceFile f = Sample();
    f.SetText("data", "");
    f.Write(PathOf("empty.dls"));
    Ref<File> doc = File::Create();
    doc->Events()->Add(0, 1, 1, 5);
    doc->Load(U16(PathOf("empty.dls").string()), type);
    EXPECT_EQ(doc->Events()->GetBounds(), -1) << type;
    EXPECT_EQ(doc->Channels()->GetBounds(), 1) << type;
  }
  EXPECT_EQ(Cache("composed.tmp"), "");
}

TEST_F(LoadTest, OptionalFieldsTakeTheirDefaults) {
  SequenceFile f = Sample();
  for (const char* name : {"picture", "alternatemediafile", "imagebrightness", "vectorgraphics"}) {
    f.Remove(name);
  }
  f.Write(PathOf("plain.dls"));
  WriteCache("vgcache.tmp", "old");
  Ref<File> doc = File::Create();
  doc->SetPicture(u"before.bmp");
  doc->SetAlternateMediaFile(u"before.wav");
  doc->SetImageBrightness(7);
  doc->Load(U16(PathOf("plain.dls").string()), FileTypeDLS);
  EXPECT_EQ(doc->Picture(), u"");
  EXPECT_EQ(doc->AlternateMediaFile(), u"");
  EXPECT_EQ(doc->ImageBrightness(), 100);
  EXPECT_EQ(doc->DrawObjects()->GetBounds(), -1);
  EXPECT_EQ(Cache("vgcache.tmp"), "old");  // an absent drawing text writes no cache
}

TEST_F(LoadTest, VersionFields) {
  using T = DataTypeEnum;
  struct Case {
    const char* what;
    std::vector<MainField> fields;  // added after removing both version numbers
    double expected;
  };
  const Case cases[] = {
      {"none: the version stays", {}, 7.25},
      {"major 3, minor 0",
       {{"filemajorversion", T::adInteger, 0, 3}, {"fileminorversion", T::adInteger, 0, 0}},
       3},
      {"major 3, minor 12",
       {{"filemajorversion", T::adInteger, 0, 3}, {"fileminorversion", T::adInteger, 0, 12}},
       3.12},
      {"major 2, minor 25",
       {{"filemajorversion", T::adInteger, 0, 2}, {"fileminorversion", T::adInteger, 0, 25}},
       2.25},
      {"major -2, minor 5",
       {{"filemajorversion", T::adInteger, 0, -2}, {"fileminorversion", T::adInteger, 0, 5}},
       -1.5},
      {"version only", {{"version", T::adDouble, 0, 2.75}}, 2.75},
      {"version as text", {{"Version", T::adVarChar, 10, Value::Bytes(std::string(" 4.5"))}}, 4.5},
      {"the major and minor numbers win",
       {{"version", T::adInteger, 0, 9},
        {"FileMajorVersion", T::adInteger, 0, 1},
        {"FileMinorVersion", T::adInteger, 0, 1}},
       1.1},
  };
  for (const Case& c : cases) {
    SequenceFile f = Sample();
    f.Remove("filemajorversion").Remove("fileminorversion");
    for (const MainField& field : c.fields) f.Add(field.name, field.type, field.size, field.value);
    f.Write(PathOf("version.dls"));
    Ref<File> doc = File::Create();
    doc->SetVersion(7.25);
    doc->Load(U16(PathOf("version.dls").string()), FileTypeFastDLS);
    EXPECT_EQ(doc->Version(), c.expected) << c.what;
  }
}

// A minor number is read only with its major number; one that has no digits to give
// (a negative number) leaves the major number alone, and the file loads.
TEST_F(LoadTest, AMinorVersionNeedsItsMajorAndANegativeOneIsLeftOut) {
  struct Case {
    bool major;
    int32_t minor;
    double version;
  };
  for (const Case& c : {Case{true, -5, 2}, Case{true, -2147483647 - 1, 2}, Case{false, 5, 0}}) {
    SequenceFile f = Sample();  // major 2
    f.Set("fileminorversion", c.minor);
    if (!c.major) f.Remove("filemajorversion");
    f.Write(PathOf("version.dls"));
    Ref<File> doc = File::Create();
    doc->Load(U16(PathOf("version.dls").string()), FileTypeFastDLS);
    EXPECT_EQ(doc->Version(), c.version) << c.minor;
  }
  // Without fileminorversion, a major version fails at the step that reads it.
  SequenceFile f = Sample();
  f.Remove("fileminorversion").Write(PathOf("major.dls"));
  EXPECT_THROW(File::Create()->Load(U16(PathOf("major.dls").string()), FileTypeDLS), Error);
}

TEST_F(LoadTest, ChannelRowsAlreadyInTheListAreSkippedAndDrawingRowsKeepTheirSavedChannels) {
  SequenceFile f = Sample();
  f.SetText("channels",
            ChannelTableImage({
                {"[Reserved Channel]", 0, 0, 0, 4, 77, {{1, 1}}},  // the list has it already
                {"A", 0, 1, 1, 1, 10, {{0, 5}}},
                {"B", 0, 1, 1, 2, 20, {{0, 6}}},  // address of A
                {"A", 0, 1, 2, 3, 30, {{0, 7}}},  // name of A
                {"D", 0, 1, 3, 4, 40, {{0, 8}}},
            }));
  // A drawing row names the row of the saved channel table, whose address it keeps even
  // when the list refused that row, so no object moves to another channel.
  f.SetText("vectorgraphics", DrawingTableImage({
                                  {1, 1, 1, 1, 1, 1, -1, 0, 0, 0},
                                  {2, 2, 2, 2, 2, 2, 0, 0, 0, 0},  // B: A's address
                                  {3, 3, 3, 3, 3, 3, 0, 0, 0, 0},  // the second A: (0,1,2)
                                  {-1, 4, 4, 4, 4, 4, 0, 0, 0, 0},
                                  {5, 5, 5, 5, 5, 5, 0, 0, 0, 0},  // past the saved table
                              }));
  f.Write(PathOf("dup.dls"));
  Ref<File> doc = File::Create();
  doc->Load(U16(PathOf("dup.dls").string()), FileTypeDLS);

  Ref<Channels> ch = doc->Channels();
  ASSERT_EQ(ch->GetBounds(), 2);
  EXPECT_EQ(ch->Color(0), 0);  // the stored copy of the reserved channel is not applied
  EXPECT_EQ(ch->Setting(0, 1), 0);
  EXPECT_EQ(ch->Name(1), u"A");
  EXPECT_EQ(
      (std::vector<int32_t>{ch->Channel(1), ch->DeviceType(1), ch->Color(1), ch->Setting(1, 0)}),
      (std::vector<int32_t>{1, 1, 10, 5}));
  EXPECT_EQ(ch->Name(2), u"D");
  EXPECT_EQ(
      (std::vector<int32_t>{ch->Channel(2), ch->DeviceType(2), ch->Color(2), ch->Setting(2, 0)}),
      (std::vector<int32_t>{3, 4, 40, 8}));

  // Objects sort by address: two on the reserved address (-1, and the index past the
  // saved table), then A's and B's on A's address, then the refused channel's.
  Ref<DrawObjects> d = doc->DrawObjects();
  ASSERT_EQ(d->GetBounds(), 4);
  std::vector<std::vector<int32_t>> objects;
  for (int32_t i = 0; i <= d->GetBounds(); ++i) {
    objects.push_back({d->Network(i), d->Device(i), d->Channel(i), d->Style(i)});
  }
  EXPECT_EQ(objects, (std::vector<std::vector<int32_t>>{
                         {0, 0, 0, 4}, {0, 0, 0, 5}, {0, 1, 1, 1}, {0, 1, 1, 2}, {0, 1, 2, 3}}));
  EXPECT_EQ(d->ArcStart(2), -0.001);
}

TEST_F(LoadTest, DrawingTablesWithoutTheOptionalFieldsKeepZeros) {
  SequenceFile f = Sample();
  f.SetText("vectorgraphics", DrawingTableImage({{1, 9, 1, 2, 3, 4}}, false));
  f.Write(PathOf("draw.dls"));
  Ref<File> doc = File::Create();
  doc->Load(U16(PathOf("draw.dls").string()), FileTypeDLS);
  ASSERT_EQ(doc->DrawObjects()->GetBounds(), 0);
  EXPECT_EQ(doc->DrawObjects()->Style(0), 9);
  EXPECT_EQ(doc->DrawObjects()->Y2(0), 4);
  EXPECT_EQ(doc->DrawObjects()->Aspect(0), 0);
  EXPECT_EQ(doc->DrawObjects()->Radius(0), 0);
}

TEST_F(LoadTest, TimelineMarksCountRoundedHalfToEven) {
  struct Case {
    std::string image;
    std::vector<int32_t> marks;
  };
  const std::string three = MarksImage({10, 20, 30});
  const Case cases[] = {
      {"", {}},
      {three, {10, 20, 30}},
      {three.substr(0, 5), {10}},                             // 1.25 marks
      {three.substr(0, 6), {10, 20}},                         // 1.5: the last mark from two bytes
      {three.substr(0, 10), {10, 20}},                        // 2.5 rounds to 2
      {three + std::string("\x01\x00", 2), {1, 10, 20, 30}},  // 3.5 rounds to 4
      {MarksImage({30, 10, 30}), {10, 30}},                   // in order, each once
  };
  for (const Case& c : cases) {
    SequenceFile f = Sample();
    f.SetText("events", c.image);
    f.Write(PathOf("marks.dls"));
    Ref<File> doc = File::Create();
    doc->Load(U16(PathOf("marks.dls").string()), FileTypeFastDLS);
    std::vector<int32_t> marks;
    for (int32_t i = 0; i <= doc->Timeline()->GetBounds(); ++i) {
      marks.push_back(doc->Timeline()->SampleNumber(i));
    }
    EXPECT_EQ(marks, c.marks) << c.image.size() << " bytes";
    EXPECT_EQ(Cache("evcache.tmp"), c.image);
  }
}

TEST_F(LoadTest, ToolParametersCarryOverFromRowToRow) {
  struct Case {
    const char* what;
    std::vector<std::string> setting_fields;
    int32_t extensions;
    Lines expected;
  };
  const std::vector<ToolRow> rows = {{1, 10, 20, {5, 6}}, {2, 30, 40, {7, 8}}};
  const Case cases[] = {
      {"Setting0", {"Setting0"}, 1, {"tool 1 10 20 5", "tool 2 30 40 7"}},
      {"any case", {"SETTING0"}, 1, {"tool 1 10 20 5", "tool 2 30 40 7"}},
      // Without a setting field the first row passes 0, the next what the handler left.
      {"none", {}, 1, {"tool 1 10 20 0", "tool 2 30 40 42"}},
      {"not a decimal spelling", {"setting00"}, 1, {"tool 1 10 20 0", "tool 2 30 40 42"}},
      {"beyond extensions", {"Setting0", "Setting1"}, 0, {"tool 1 10 20 5", "tool 2 30 40 7"}},
      {"no extensions at all", {"Setting0"}, -1, {"tool 1 10 20 0", "tool 2 30 40 42"}},
  };
  for (const Case& c : cases) {
    SequenceFile f = Sample();
    f.SetText("toolconfig", ToolTableImage(rows, c.setting_fields));
    f.SetText("toolhistory", ToolTableImage({}));
    f.Set("extensions", c.extensions);
    f.Write(PathOf("tools.dls"));
    Ref<File> doc = File::Create();
    Recorder r(*doc);
    r.sink->on_tool_initialize = [&](int32_t& id, int32_t& start, int32_t& end,
                                     std::vector<int32_t>& p) {
      r.heard.push_back("tool " + std::to_string(id) + " " + std::to_string(start) + " " +
                        std::to_string(end) + " " + std::to_string(p.at(0)));
      p.at(0) = 42;
    };
    doc->Load(U16(PathOf("tools.dls").string()), FileTypeDLS);
    Lines tools;
    for (const std::string& line : r.heard) {
      if (line.rfind("tool", 0) == 0) tools.push_back(line);
    }
    EXPECT_EQ(tools, c.expected) << c.what;
  }
}

TEST_F(LoadTest, ASettingFieldBeyondTheEventSettingsIsOutOfRange) {
  SequenceFile f = Sample();
  f.SetText("toolconfig", ToolTableImage({{1, 10, 20, {5, 6}}}, {"Setting0", "Setting1"}));
  f.Write(PathOf("tools.dls"));
  Ref<File> doc = File::Create();
  Recorder r(*doc);
  try {
    doc->Load(U16(PathOf("tools.dls").string()), FileTypeDLS);
    FAIL() << "loaded";
  } catch (const Error& e) {
    EXPECT_EQ(e.Number(), Error::kSubscriptOutOfRange);
    EXPECT_NE(e.Description().find("Setting1"), std::string::npos) << e.what();
  }
  EXPECT_EQ(r.heard.back(), "status Opening Table: Tool Settings");
}

TEST_F(LoadTest, ADuplicateChannelAtOneSampleKeepsTheFirstRecord) {
  // Command 33 on bit 8 and command 23 on bit 0 both name channel 9 at sample 1000.
  SequenceFile f = Sample();
  f.SetData({{1000, 0, 2, 0x0100, 33, 100, 100, 0, 0, 0},
             {1000, 0, 2, 0x0001, 23, 200, 200, 0, 0, 0},
             {1000, 0, 2, 0x0005, 33, 240, 240, 0, 0, 0}});
  f.Write(PathOf("dup.dls"));
  Ref<File> doc = File::Create();
  doc->Load(U16(PathOf("dup.dls").string()), FileTypeDLS);
  std::vector<std::vector<int32_t>> events;
  for (int32_t i = 0; i <= doc->Events()->GetBounds(); ++i) {
    EventRecord e = doc->Events()->Record(i);
    events.push_back({e.device, e.channel, e.sample_number, e.command, e.start_intensity});
  }
  EXPECT_EQ(events, (std::vector<std::vector<int32_t>>{
                        {2, 1, 1000, 33, 240}, {2, 3, 1000, 33, 240}, {2, 9, 1000, 33, 100}}));
}

TEST_F(LoadTest, ASecondLoadRewritesTheSharedCaches) {
  const std::u16string first = WriteSample("first.dls");
  SequenceFile other = Sample();
  const std::string other_channels = ChannelTableImage({{"[Reserved Channel]"}, {"X", 0, 9, 9}});
  other.SetText("channels", other_channels).Write(PathOf("second.dls"));
  Ref<File> a = File::Create();
  a->Load(first, FileTypeDLS);
  EXPECT_EQ(Cache("chcache.tmp"), channels_);
  Ref<File> b = File::Create();
  b->Load(U16(PathOf("second.dls").string()), FileTypeDLS);
  EXPECT_EQ(Cache("chcache.tmp"), other_channels);
  EXPECT_EQ(a->Channels()->Name(1), u"Red lamp");  // the first document keeps its own
}

TEST_F(LoadTest, TheWorkspaceFolderIsMadeWhenMissingWhateverItsName) {
  const std::u16string path = WriteSample();
  // A space, code page 1252 and beyond it.
  const std::filesystem::path folder =
      PathOf("new") / platform::PathFromUtf8("Caf\xc3\xa9 \xe2\x82\xac \xce\xa9");
  platform::SetEnvironmentValue("QUARNEL_WORKSPACE", platform::Utf8FromPath(folder));
  File::Create()->Load(path, FileTypeDLS);
  EXPECT_TRUE(std::filesystem::is_regular_file(folder / "chcache.tmp"));
  EXPECT_EQ(WorkspaceFolder(), folder);
}

TEST_F(LoadTest, AWorkspaceThatCannotBeWrittenStopsLoadAndSaveNamingTheFolder) {
  const std::u16string path = WriteSample();
  platform::testing::UnwritableFolder folder(dir_);
  if (folder.Path().empty()) GTEST_SKIP() << "this system offers no folder that cannot be written";
  platform::SetEnvironmentValue("QUARNEL_WORKSPACE", platform::Utf8FromPath(folder.Path()));
  Ref<File> doc = File::Create();
  const std::function<void()> steps[] = {
      [&] { doc->Load(path, FileTypeDLS); },
      [&] { doc->Save(PathOf("saved.dls").u16string(), FileTypeDLS); },
  };
  for (const auto& step : steps) {
    try {
      step();
      ADD_FAILURE() << "no error for a workspace that cannot be written";
    } catch (const Error& e) {
      EXPECT_NE(std::string(e.what()).find(platform::Utf8FromPath(folder.Path())),
                std::string::npos)
          << e.what();
    }
  }
  EXPECT_FALSE(std::filesystem::exists(PathOf("saved.dls")));
}

}  // namespace
}  // namespace quarnel::dataapi::testing
