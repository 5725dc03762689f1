// Save of each file type: the main table and its images, the workspace caches, saving
// and loading back, and a failed save that leaves the old file.
#include "dataapi/CompiledRecord.h"
#include "dataapi/RampCalc.h"
#include "dataapi/document/SaveSteps.h"
#include "dataapi/tests/DocumentFixture.h"
#include "dataapi/tests/SequenceFiles.h"
#include "platform/base/Error.h"
#include "platform/recordset/Recordset.h"
#include "platform/tests/TestSystem.h"

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace quarnel::dataapi::testing {
namespace {

using Lines = std::vector<std::string>;

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// The one row of a saved main table, opened for reading.
struct SavedFile {
  explicit SavedFile(const std::filesystem::path& path) {
    rs.Open(path);
    rs.MoveFirst();
  }
  int32_t Int(const char* field) const { return rs.Value(field).ToInt32("test"); }
  std::string Bytes(const char* field) const { return rs.Value(field).ToBytes("test"); }
  Recordset rs;
};

std::vector<std::string> FieldNames(const Recordset& rs) {
  std::vector<std::string> names;
  for (const Field& f : rs.Fields()) names.push_back(f.Name());
  return names;
}

class SaveTest : public DocumentTest {
 protected:
  // A document with every stored value, three channels (one RGB), events on them and on
  // an address that is no channel, drawing objects and timeline marks.
  Ref<File> Sample() {
    Ref<File> doc = File::Create();
    doc->SetName(u"/shows/winter.dls");
    doc->SetTitle(u"Winter show");
    doc->SetAuthor(u"Ann");
    doc->SetAVFile(u"music.mp3");
    doc->SetPicture(u"house.bmp");
    doc->SetWidth(640);
    doc->SetHeight(480);
    doc->SetTop(5);
    doc->SetLeft(6);
    doc->SetVersion(3.12);
    doc->SetEditCount(12);
    doc->SetLength(2000000);
    doc->SetAlternateMediaFile(u"second.wav");
    doc->SetImageBrightness(80);

    Ref<Channels> ch = doc->Channels();
    const int32_t lamp = ch->Add(0, 1, 1, u"Lamp", 1);
    ch->SetColor(lamp, 255);
    ch->SetDeviceType(lamp, 3);
    ch->SetSetting(lamp, 0, 7);
    ch->SetSetting(lamp, 255, -9);
    const int32_t rgb = ch->Add(0, 2, 1, u"Tree", 2);
    ch->SetDeviceType(rgb, 12);
    ch->SetSetting(rgb, 16, 2);
    ch->SetSetting(rgb, 17, 2);
    ch->SetSetting(rgb, 18, 2);
    ch->SetSetting(rgb, 19, 3);
    ch->Add(0, 2, 2, u"Tree green", 3);

    Ref<Events> ev = doc->Events();
    AddEvent(*ev, 0, 1, 1, 0, 33, 240, 240, 1);
    AddEvent(*ev, 0, 1, 1, 44100, 34, 1, 240, 0);
    AddEvent(*ev, 0, 1, 1, 50000, 36, 9, 9, 2);
    AddEvent(*ev, 0, 1, 1, 300000, 33, 1, 1, 0);
    AddEvent(*ev, 0, 2, 1, 1000, 38, 0, 0xFFFFFF, 0);
    AddEvent(*ev, 0, 2, 1, 100000, 33, 120, 120, 0);
    AddEvent(*ev, 0, 5, 20, 700, 33, 4, 4, 0);  // channel 20: no mask bit for it

    Ref<DrawObjects> dr = doc->DrawObjects();
    const int32_t o = dr->Add(0, 1, 1);
    dr->SetStyle(o, 2);
    dr->SetX1(o, 10);
    dr->SetY1(o, 20);
    dr->SetX2(o, 30);
    dr->SetY2(o, 40);
    dr->SetRadius(o, 7);
    dr->SetArcStart(o, 0.25);
    dr->SetArcEnd(o, 1.0015);  // held as 1001 thousandths
    dr->SetAspect(o, -0.0005);
    dr->SetStyle(dr->Add(0, 2, 1), 5);

    doc->Timeline()->Add(4410);
    doc->Timeline()->Add(88200);
    return doc;
  }

  static void AddEvent(Events& ev, int32_t n, int32_t d, int32_t c, int32_t sample, int32_t command,
                       int32_t start, int32_t end, int32_t setting) {
    const int32_t k = ev.Add(n, d, c, sample);
    ASSERT_GE(k, 0);
    ev.SetCommand(k, command);
    ev.SetStartIntensity(k, start);
    ev.SetEndIntensity(k, end);
    ev.SetSetting(k, 0, setting);
  }

  std::u16string Path(const std::string& name) const { return U16(PathOf(name).string()); }
};

// Properties, channels, timeline and drawing objects agree.
void ExpectSameDocument(File& a, File& b) {
  EXPECT_TRUE(a.Title() == b.Title());
  EXPECT_TRUE(a.Author() == b.Author());
  EXPECT_TRUE(a.AVFile() == b.AVFile());
  EXPECT_TRUE(a.Picture() == b.Picture());
  EXPECT_TRUE(a.AlternateMediaFile() == b.AlternateMediaFile());
  EXPECT_EQ(a.Width(), b.Width());
  EXPECT_EQ(a.Height(), b.Height());
  EXPECT_EQ(a.Top(), b.Top());
  EXPECT_EQ(a.Left(), b.Left());
  EXPECT_EQ(a.Version(), b.Version());
  EXPECT_EQ(a.EditCount(), b.EditCount());
  EXPECT_EQ(a.Length(), b.Length());
  EXPECT_EQ(a.ImageBrightness(), b.ImageBrightness());
  std::u16string lookup_a, lookup_b;
  EXPECT_TRUE(a.Channels()->UndoData(lookup_a) == b.Channels()->UndoData(lookup_b));
  EXPECT_TRUE(lookup_a == lookup_b);
  EXPECT_TRUE(a.Timeline()->UndoData() == b.Timeline()->UndoData());
  EXPECT_TRUE(a.DrawObjects()->UndoData() == b.DrawObjects()->UndoData());
}

TEST_F(SaveTest, EachPlaybackTypeLoadsBackWithItsEventsThroughCompiling) {
  for (FileType type : {FileTypeDLS, FileTypeFastDLS}) {
    SCOPED_TRACE(static_cast<int>(type));
    Ref<File> doc = Sample();
    const std::u16string before = doc->Events()->UndoData();
    doc->Save(Path("show.dls"), type);
    EXPECT_TRUE(doc->Events()->UndoData() == before);
    EXPECT_TRUE(doc->Name() == u"/shows/winter.dls");

    Ref<File> back = File::Create();
    back->Load(Path("show.dls"), FileTypeDLS);
    ExpectSameDocument(*doc, *back);
    EXPECT_TRUE(back->Name() == Path("show.dls"));

    // Every event on channels 1 to 16 comes back with the intervals compiling gave it;
    // the one on channel 20 does not.
    Ref<Events> ev = back->Events();
    ASSERT_EQ(ev->GetBounds(), 5);
    const int32_t fade = ev->FindLeft(0, 1, 1, 44100);
    EXPECT_EQ(ev->Command(fade), 34);
    EXPECT_EQ(ev->ShortInterval(fade), CalcRampIntervals(5900).first);
    EXPECT_EQ(ev->LongInterval(fade), CalcRampIntervals(5900).second);
    const int32_t colour = ev->FindLeft(0, 2, 1, 1000);
    EXPECT_EQ(ev->Command(colour), 38);
    EXPECT_EQ(ev->EndIntensity(colour), 0xFFFFFF);
    EXPECT_EQ(ev->ShortInterval(colour), CalcRampIntervals(1).first);
    EXPECT_EQ(ev->Setting(ev->FindLeft(0, 1, 1, 0), 0), 1);
    EXPECT_EQ(ev->FindBegin(0, 5, 20), -1);
  }
}

TEST_F(SaveTest, BothPlaybackTypesWriteTheSameFile) {
  Sample()->Save(Path("a.dls"), FileTypeDLS);
  Sample()->Save(Path("b.dls"), FileTypeFastDLS);
  SavedFile a(PathOf("a.dls")), b(PathOf("b.dls"));
  for (const std::string& field : FieldNames(a.rs)) {
    if (field == "name") continue;
    EXPECT_EQ(a.rs.Value(field), b.rs.Value(field)) << field;
  }
}

TEST_F(SaveTest, ABackupKeepsTheEventsThemselvesAndTheDocumentsName) {
  Ref<File> doc = Sample();
  const std::u16string events = doc->Events()->UndoData();
  Recorder r(*doc);
  doc->Save(Path("backup.bak"), FileTypeBAK);
  EXPECT_EQ(r.heard, (Lines{"status Backing Up Workspace", "status Backing Up Workspace"}));
  EXPECT_EQ(doc->BackupData().size(), 7u);

  Ref<File> back = File::Create();
  back->Load(Path("backup.bak"), FileTypeBAK);
  EXPECT_TRUE(back->Name() == u"/shows/winter.dls");
  ExpectSameDocument(*doc, *back);
  // The fade's intervals are worked out afresh; every other event carries none.
  Ref<Events> ev = back->Events();
  ASSERT_EQ(ev->GetBounds(), 6);
  for (int32_t i = 0; i <= ev->GetBounds(); ++i) {
    EventRecord e = ev->Record(i);
    if (e.command == 34) {
      EXPECT_EQ(e.short_interval, CalcRampIntervals(5900).first);
      EXPECT_EQ(e.long_interval, CalcRampIntervals(5900).second);
      e.short_interval = e.long_interval = 0;
    }
    EXPECT_EQ(e, doc->Events()->Record(i));
  }
  EXPECT_TRUE(doc->Events()->UndoData() == events);
}

TEST_F(SaveTest, APlaybackSaveCompilesBetweenItsTwoStatusTexts) {
  Ref<File> doc = Sample();
  Recorder r(*doc);
  doc->Save(Path("show.dls"), FileTypeDLS);
  const std::string saving = "status Saving File " + PathOf("show.dls").string();
  ASSERT_GE(r.heard.size(), 3u);
  EXPECT_EQ(r.heard.front(), saving);
  EXPECT_EQ(r.heard[1], "status Compiling Data For Playback");
  EXPECT_EQ(r.heard[r.heard.size() - 2], "compose");
  EXPECT_EQ(r.heard.back(), saving);
  // The compiled data is the file's data, the workspace's data cache and composed.tmp.
  SavedFile f(PathOf("show.dls"));
  EXPECT_EQ(f.Bytes("data"), WriteCompiledBlock(doc->CompiledData()));
  EXPECT_EQ(Cache("dtcache.tmp"), f.Bytes("data"));
  EXPECT_EQ(Cache("composed.tmp"), f.Bytes("data"));
}

TEST_F(SaveTest, TheMainTableHasItsFieldsInOrderWithTheImagesOfTheCaches) {
  Sample()->Save(Path("show.dls"), FileTypeDLS);
  SavedFile f(PathOf("show.dls"));
  EXPECT_EQ(FieldNames(f.rs), (std::vector<std::string>{"name",
                                                        "title",
                                                        "author",
                                                        "avfile",
                                                        "picture",
                                                        "toolconfig",
                                                        "toolhistory",
                                                        "editcount",
                                                        "height",
                                                        "width",
                                                        "top",
                                                        "left",
                                                        "length",
                                                        "extensions",
                                                        "events",
                                                        "channels",
                                                        "vectorgraphics",
                                                        "data",
                                                        "alternatemediafile",
                                                        "imagebrightness",
                                                        "filemajorversion",
                                                        "fileminorversion"}));
  EXPECT_EQ(f.Bytes("name"), PathOf("show.dls").string());
  EXPECT_EQ(f.Bytes("title"), "Winter show");
  EXPECT_EQ(f.Int("extensions"), 1);
  EXPECT_EQ(f.Int("filemajorversion"), 3);
  EXPECT_EQ(f.Int("fileminorversion"), 12);
  EXPECT_EQ(f.Int("imagebrightness"), 80);
  for (const char* field : {"name", "title", "author", "avfile", "picture", "alternatemediafile"}) {
    EXPECT_EQ(f.rs.Fields()[field].Type(), DataTypeEnum::adVarChar);
    EXPECT_EQ(f.rs.Fields()[field].DefinedSize(), 1024) << field;
  }
  const std::pair<const char*, const char*> images[] = {
      {"toolconfig", "tccache.tmp"}, {"toolhistory", "hscache.tmp"},    {"events", "evcache.tmp"},
      {"channels", "chcache.tmp"},   {"vectorgraphics", "vgcache.tmp"}, {"data", "dtcache.tmp"}};
  for (const auto& [field, cache] : images) {
    EXPECT_EQ(f.Bytes(field), Cache(cache)) << field;
    EXPECT_EQ(f.rs.Fields()[field].DefinedSize(), static_cast<int32_t>(Cache(cache).size()));
  }
  EXPECT_EQ(f.rs.Fields()["toolconfig"].Type(), DataTypeEnum::adVarChar);
  EXPECT_EQ(f.rs.Fields()["channels"].Type(), DataTypeEnum::adLongVarChar);
  EXPECT_EQ(Cache("evcache.tmp"), MarksImage({4410, 88200}));
}

TEST_F(SaveTest, ChannelTableHoldsEveryChannelWithItsEventRange) {
  Ref<File> doc = Sample();
  doc->Save(Path("show.dls"), FileTypeDLS);
  Recordset t;
  t.Open(CachePath("chcache.tmp"));
  ASSERT_EQ(t.Fields().Count(), 8 + 256);
  EXPECT_EQ(t.Fields().Item(0).Name(), "name");
  EXPECT_EQ(t.Fields().Item(0).DefinedSize(), 100);
  EXPECT_EQ(t.Fields().Item(8).Name(), "0");
  EXPECT_EQ(t.Fields().Item(263).Name(), "255");
  EXPECT_EQ(t.RecordCount(), 4);
  t.MoveFirst();
  t.MoveNext();  // the lamp, after the reserved channel
  EXPECT_EQ(t.Value("name").ToBytes("test"), "Lamp");
  EXPECT_EQ(t.Value("devicetype").ToInt32("test"), 3);
  EXPECT_EQ(t.Value("color").ToInt32("test"), 255);
  EXPECT_EQ(t.Value("com").ToInt32("test"), 0);
  EXPECT_EQ(t.Value("deviceid").ToInt32("test"), 1);
  EXPECT_EQ(t.Value("channel").ToInt32("test"), 1);
  EXPECT_EQ(t.Value("startindex").ToInt32("test"), 0);
  EXPECT_EQ(t.Value("endindex").ToInt32("test"), 3);
  EXPECT_EQ(t.Value("0").ToInt32("test"), 7);
  EXPECT_EQ(t.Value("255").ToInt32("test"), -9);
  t.MoveNext();
  t.MoveNext();  // the green part: no events of its own
  EXPECT_EQ(t.Value("startindex").ToInt32("test"), -1);
  EXPECT_EQ(t.Value("endindex").ToInt32("test"), -1);
}

TEST_F(SaveTest, DrawingOfChannelsNotInTheListIsDroppedAndThousandthsAreKept) {
  Ref<File> doc = Sample();
  Ref<DrawObjects> dr = doc->DrawObjects();
  dr->SetStyle(dr->Add(0, 9, 9), 11);  // no such channel
  dr->SetStyle(dr->Add(0, 9, 9), 12);
  dr->SetStyle(dr->Add(0, 2, 1), 6);
  doc->Save(Path("show.dls"), FileTypeDLS);
  Recordset t;
  t.Open(CachePath("vgcache.tmp"));
  EXPECT_EQ(FieldNames(t), (std::vector<std::string>{"Channel", "Style", "X1", "Y1", "X2", "Y2",
                                                     "ArcStart", "ArcEnd", "Radius", "Aspect"}));
  std::vector<std::vector<int32_t>> rows;
  for (t.MoveFirst(); !t.Eof(); t.MoveNext()) {
    std::vector<int32_t> row;
    for (const std::string& field : FieldNames(t)) row.push_back(t.Value(field).ToInt32("test"));
    rows.push_back(row);
  }
  EXPECT_EQ(rows, (std::vector<std::vector<int32_t>>{{1, 2, 10, 20, 30, 40, 250, 1001, 7, -1},
                                                     {2, 5, 0, 0, 0, 0, 0, 0, 0, 0},
                                                     {2, 6, 0, 0, 0, 0, 0, 0, 0, 0}}));
}

// A client may remove the reserved channel, order the list as it likes and give two
// channels one name; each drawing object still comes back on its own channel.
TEST_F(SaveTest, DrawingComesBackOnItsChannelWhateverTheList) {
  Ref<File> doc = Sample();
  Ref<Channels> ch = doc->Channels();
  ch->Remove(0);                  // Lamp, Tree, Tree green
  ch->SetName(2, u"Lamp");        // Tree green takes Lamp's name: loading refuses it
  ch->Add(0, 0, 1, u"First", 0);  // First, Lamp, Tree, Lamp
  Ref<DrawObjects> dr = doc->DrawObjects();
  dr->SetStyle(dr->Add(0, 0, 1), 8);
  dr->SetStyle(dr->Add(0, 2, 2), 9);
  auto objects = [](const DrawObjects& d) {
    std::vector<std::vector<int32_t>> all;
    for (int32_t i = 0; i <= d.GetBounds(); ++i) {
      all.push_back({d.Network(i), d.Device(i), d.Channel(i), d.Style(i), d.X1(i)});
    }
    return all;
  };
  const auto before = objects(*dr);
  doc->Save(Path("show.dls"), FileTypeDLS);
  Ref<File> back = File::Create();
  back->Load(Path("show.dls"), FileTypeDLS);
  EXPECT_EQ(objects(*back->DrawObjects()), before);
  EXPECT_EQ(back->Channels()->Find(0, 2, 2), -1);  // the refused channel; its drawing stays
}

TEST_F(SaveTest, VersionFields) {
  struct Case {
    double version;
    int32_t major, minor;
  };
  for (const Case& c : {Case{2.5, 2, 5}, Case{3.12, 3, 12}, Case{4, 4, 0}, Case{3.0, 3, 0},
                        Case{-2.5, -3, 5}, Case{2.25, 2, 25}}) {
    const VersionFields v = SplitVersion(c.version);
    EXPECT_EQ(v.major, c.major) << c.version;
    EXPECT_EQ(v.minor, c.minor) << c.version;
  }
  for (double bad : {2.01, 1e300, std::numeric_limits<double>::quiet_NaN()}) {
    try {
      SplitVersion(bad);
      ADD_FAILURE() << bad;
    } catch (const Error& e) {
      EXPECT_EQ(e.Number(), Error::kOverflow);
    }
  }
  // Saved and loaded back.
  for (double version : {2.5, 3.12, 4.0}) {
    Ref<File> doc = File::Create();
    doc->SetVersion(version);
    doc->Save(Path("v.dls"), FileTypeDLS);
    Ref<File> back = File::Create();
    back->Load(Path("v.dls"), FileTypeDLS);
    EXPECT_EQ(back->Version(), version);
  }
}

TEST_F(SaveTest, AVersionThatCannotBeStoredFailsAndTheOldFileStays) {
  Sample()->Save(Path("show.dls"), FileTypeDLS);
  const std::string old = ReadFile(PathOf("show.dls"));
  Ref<File> doc = Sample();
  doc->SetVersion(2.01);
  try {
    doc->Save(Path("show.dls"), FileTypeDLS);
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_EQ(e.Number(), Error::kOverflow);
  }
  EXPECT_EQ(ReadFile(PathOf("show.dls")), old);
}

TEST_F(SaveTest, MissingToolTablesAreMadeEmptyAndExistingOnesKeptAsTheyAre) {
  File::Create()->Save(Path("new.dls"), FileTypeDLS);
  Recordset tools;
  tools.Open(CachePath("tccache.tmp"));
  EXPECT_EQ(FieldNames(tools), (std::vector<std::string>{"Command", "StartIntensity",
                                                         "EndIntensity", "Caption", "Setting0"}));
  EXPECT_EQ(tools.Fields()["Caption"].DefinedSize(), 256);
  EXPECT_EQ(tools.RecordCount(), 0);
  EXPECT_EQ(Cache("hscache.tmp"), Cache("tccache.tmp"));
  SavedFile f(PathOf("new.dls"));
  EXPECT_EQ(f.Bytes("toolconfig"), Cache("tccache.tmp"));

  // Tool settings of a loaded file pass into every file saved after it.
  const std::string tools_image = ToolTableImage({{7, 1, 240, {3}}});
  WriteCache("tccache.tmp", tools_image);
  Sample()->Save(Path("show.dls"), FileTypeDLS);
  EXPECT_EQ(Cache("tccache.tmp"), tools_image);
  EXPECT_EQ(SavedFile(PathOf("show.dls")).Bytes("toolconfig"), tools_image);
}

TEST_F(SaveTest, AnEmptyTimelineGivesAnEmptyImage) {
  File::Create()->Save(Path("new.dls"), FileTypeDLS);
  SavedFile f(PathOf("new.dls"));
  EXPECT_EQ(f.Bytes("events"), "");
  EXPECT_EQ(f.rs.Fields()["events"].DefinedSize(), 0);
  EXPECT_EQ(f.Bytes("data"), "");
  Ref<File> back = File::Create();
  back->Load(Path("new.dls"), FileTypeDLS);
  ExpectSameDocument(*File::Create(), *back);
}

TEST_F(SaveTest, ASaveIntoAFolderThatDoesNotExistFailsAndLeavesTheOldFile) {
  Ref<File> doc = Sample();
  doc->Save(Path("show.dls"), FileTypeDLS);
  const std::string old = ReadFile(PathOf("show.dls"));
  try {
    doc->Save(Path("no such folder/show.dls"), FileTypeDLS);
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_NE(e.Description().find("no such folder"), std::string::npos) << e.what();
  }
  EXPECT_FALSE(std::filesystem::exists(PathOf("no such folder")));
  EXPECT_EQ(ReadFile(PathOf("show.dls")), old);
}

TEST_F(SaveTest, AWriteThatFailsHalfWayLeavesTheOldFileAsItWas) {
  File::Create()->Save(Path("show.dls"), FileTypeDLS);
  const std::string old = ReadFile(PathOf("show.dls"));
  // A document whose saved file is larger than any of its caches, under a file size limit
  // between the two: the caches are written, the file itself cannot be.
  Ref<File> doc = Sample();
  doc->SetAutoRefresh(false);  // no bookmark rebuild per added event
  for (int32_t c = 1; c <= 300; ++c) {
    doc->Channels()->Add(1, c, 1, U16("c" + std::to_string(c)), c);
    for (int32_t k = 0; k < 10; ++k) AddEvent(*doc->Events(), 1, c, 1, k * 1000, 33, k + 1, 1, 0);
  }
  doc->Save(Path("big.dls"), FileTypeDLS);
  const uint64_t big = std::filesystem::file_size(PathOf("big.dls"));
  const uint64_t largest_cache = std::max(Cache("chcache.tmp").size(), Cache("dtcache.tmp").size());
  ASSERT_LT(largest_cache + 4096, big);

  bool failed = false;
  {
    platform::testing::FileSizeLimit limit(largest_cache + 4096);
    if (!limit.Active()) GTEST_SKIP() << "this system cannot limit the size of a file";
    try {
      doc->Save(Path("show.dls"), FileTypeDLS);
    } catch (const Error&) {
      failed = true;
    }
  }
  EXPECT_TRUE(failed);
  EXPECT_EQ(ReadFile(PathOf("show.dls")), old);
  for (const auto& entry : std::filesystem::directory_iterator(dir_)) {
    const std::string name = entry.path().filename().string();
    EXPECT_TRUE(name == "show.dls" || name == "big.dls" || name == "workspace") << name;
  }
}

TEST_F(SaveTest, ADocumentWithoutDrawingFailsAfterTheChannelsAndDataAreCached) {
  Ref<File> doc = Sample();
  doc->SetDrawObjects(nullptr);
  try {
    doc->Save(Path("show.dls"), FileTypeDLS);
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_EQ(e.Number(), Error::kObjectNotSet);
  }
  EXPECT_NE(Cache("chcache.tmp"), "<missing>");
  EXPECT_EQ(Cache("dtcache.tmp"), WriteCompiledBlock(doc->CompiledData()));
  EXPECT_FALSE(std::filesystem::exists(PathOf("show.dls")));
}

TEST_F(SaveTest, AnUnknownFileTypeIsRefused) {
  try {
    File::Create()->Save(Path("x.dls"), static_cast<FileType>(7));
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_EQ(e.Number(), 5);
  }
  EXPECT_FALSE(std::filesystem::exists(PathOf("x.dls")));
}

}  // namespace
}  // namespace quarnel::dataapi::testing
