// Load of files that are damaged or are no sequence files: a clear error, never a crash,
// and the document keeps what the steps before the failure gave it.
#include "dataapi/tests/DocumentFixture.h"
#include "dataapi/tests/SequenceFiles.h"
#include "platform/base/Error.h"
#include "platform/recordset/Recordset.h"

#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace quarnel::dataapi::testing {
namespace {

namespace fs = std::filesystem;

class LoadBadInputTest : public DocumentTest {
 protected:
  // A document with values of its own, to see what a failed load changed.
  Ref<File> Document() {
    Ref<File> doc = File::Create();
    doc->SetName(u"before.dls");
    doc->SetTitle(u"before");
    doc->SetAuthor(u"before");
    doc->Channels()->Add(0, 1, 1, u"kept", 1);
    return doc;
  }

  SequenceFile Valid() {
    SequenceFile f;
    f.SetText("title", "After");
    f.SetText("author", "Writer");
    f.SetData({{100, 0, 1, 0x0003, 33, 10, 10, 0, 0, 0}});
    return f;
  }

  // Loads and returns the error, with the lines the document raised until then.
  Error LoadFails(File& doc, const fs::path& path, FileType type = FileTypeDLS) {
    Recorder r(doc);
    try {
      doc.Load(U16(path.string()), type);
    } catch (const Error& e) {
      heard_ = r.heard;
      return e;
    }
    ADD_FAILURE() << path << " loaded";
    return Error(0, "", "");
  }

  std::vector<std::string> heard_;
};

TEST_F(LoadBadInputTest, AFileThatCannotBeReadChangesNothingButTheFirstStatus) {
  std::ofstream(PathOf("text.dls")) << "Title=My show\nAuthor=me\n";
  std::ofstream(PathOf("empty.dls"));
  fs::create_directory(PathOf("folder.dls"));
  for (const char* name : {"missing.dls", "text.dls", "empty.dls", "folder.dls"}) {
    Ref<File> doc = Document();
    Ref<Channels> channels = doc->Channels();
    const Error e = LoadFails(*doc, PathOf(name));
    EXPECT_GE(e.Number(), 3002) << name;
    EXPECT_NE(std::string(e.what()).find(name), std::string::npos) << e.what();
    EXPECT_EQ(heard_, std::vector<std::string>{"status Opening File: " + PathOf(name).string()});
    EXPECT_EQ(doc->Name(), u"before.dls");
    EXPECT_EQ(doc->Channels(), channels);
    EXPECT_EQ(Cache("chcache.tmp"), "<missing>");
  }
}

TEST_F(LoadBadInputTest, ATruncatedFileIsRefusedAtEveryLength) {
  Valid().Write(PathOf("whole.dls"));
  std::ifstream in(PathOf("whole.dls"), std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ASSERT_GT(bytes.size(), 1000u);
  for (size_t cut = 0; cut < bytes.size(); cut += (cut < 200 ? 1 : 37)) {
    std::ofstream(PathOf("cut.dls"), std::ios::binary | std::ios::trunc).write(bytes.data(), cut);
    Ref<File> doc = Document();
    try {
      doc->Load(U16(PathOf("cut.dls").string()), FileTypeDLS);
      ADD_FAILURE() << "cut at " << cut << " loaded";
    } catch (const Error& e) {
      EXPECT_EQ(doc->Title(), u"before") << cut;
    }
  }
}

TEST_F(LoadBadInputTest, ASavedTableThatIsNoSequenceFileNamesTheMissingField) {
  const fs::path sample = fs::path(QUARNEL_RECORDSET_TEST_DATA) / "publishers.tg";
  ASSERT_TRUE(fs::exists(sample));
  Ref<File> doc = Document();
  const Error e = LoadFails(*doc, sample);
  EXPECT_NE(e.Description().find("\"extensions\""), std::string::npos) << e.what();
  EXPECT_NE(e.Description().find("the sequence file"), std::string::npos) << e.what();

  // A main table with no row.
  Recordset rs;
  rs.Fields().Append("extensions", DataTypeEnum::adInteger);
  rs.Open();
  rs.Save(PathOf("norow.dls"));
  const Error none = LoadFails(*doc, PathOf("norow.dls"));
  EXPECT_NE(none.Description().find("holds no row"), std::string::npos) << none.what();
}

TEST_F(LoadBadInputTest, BadFieldsFailAtTheStepThatReadsThem) {
  using T = DataTypeEnum;
  struct Case {
    const char* what;
    std::function<void(SequenceFile&)> damage;
    const char* field;  // named in the error
    bool title_set;     // the steps before the failure took effect
  };
  const Case cases[] = {
      {"author missing", [](SequenceFile& f) { f.Remove("author"); }, "author", true},
      {"extensions missing", [](SequenceFile& f) { f.Remove("extensions"); }, "extensions", false},
      {"editcount is text",
       [](SequenceFile& f) {
         f.Retype("editcount", T::adVarChar, 10, Value::Bytes(std::string("many")));
       },
       "editcount", true},
      {"length is null", [](SequenceFile& f) { f.Set("length", Value::Null()); }, "length", true},
      {"imagebrightness too large",
       [](SequenceFile& f) { f.Retype("imagebrightness", T::adDouble, 0, 1e12); },
       "imagebrightness", true},
      {"data missing", [](SequenceFile& f) { f.Remove("data"); }, "data", true},
      {"toolhistory missing", [](SequenceFile& f) { f.Remove("toolhistory"); }, "toolhistory",
       true},
  };
  for (const Case& c : cases) {
    SequenceFile f = Valid();
    c.damage(f);
    f.Write(PathOf("bad.dls"));
    Ref<File> doc = Document();
    const Error e = LoadFails(*doc, PathOf("bad.dls"));
    EXPECT_NE(e.Description().find(std::string("\"") + c.field + "\""), std::string::npos)
        << c.what << ": " << e.what();
    EXPECT_EQ(doc->Title(), c.title_set ? u"After" : u"before") << c.what;
    EXPECT_EQ(doc->Channels()->Name(1), u"kept") << c.what;  // collections not yet replaced
  }
}

TEST_F(LoadBadInputTest, APlaybackBlockOfNoWholeRecordsTouchesNoCache) {
  for (FileType type : {FileTypeDLS, FileTypeFastDLS, FileTypeBAK}) {
    SequenceFile f = Valid();
    f.SetText("data", std::string(41, '\0'));
    f.Write(PathOf("bad.dls"));
    Ref<File> doc = Document();
    const Error e = LoadFails(*doc, PathOf("bad.dls"), type);
    EXPECT_EQ(e.Number(), kBadRecordLength);
    EXPECT_NE(e.Description().find("holds 41 bytes"), std::string::npos) << e.what();
    EXPECT_EQ(doc->Title(), u"After");
    EXPECT_EQ(doc->Channels()->Name(1), u"kept");
    for (const char* name : {"dtcache.tmp", "chcache.tmp", "composed.tmp"}) {
      EXPECT_EQ(Cache(name), "<missing>") << name;
    }
  }
}

TEST_F(LoadBadInputTest, EmptyTablesFailAtTheStepThatOpensThem) {
  struct Case {
    const char* field;
    const char* last_status;
    const char* table;
  };
  const Case cases[] = {
      {"channels", "status Opening Table: Channels", "the channel table"},
      {"toolconfig", "status Opening Table: Tool Settings", "the tool settings table"},
      {"toolhistory", "status Opening Table: History", "the tool history table"},
      {"vectorgraphics", "", ""},  // an empty drawing text is no drawing
  };
  for (const Case& c : cases) {
    SequenceFile f = Valid();
    f.SetText(c.field, "");
    f.Write(PathOf("empty.dls"));
    Ref<File> doc = Document();
    if (*c.table == '\0') {
      doc->Load(U16(PathOf("empty.dls").string()), FileTypeDLS);
      continue;
    }
    const Error e = LoadFails(*doc, PathOf("empty.dls"));
    EXPECT_EQ(heard_.back(), c.last_status) << c.field;
    EXPECT_NE(e.Description().find(c.table), std::string::npos) << e.what();
  }
}

TEST_F(LoadBadInputTest, ACorruptChannelTableStopsTheLoadWithTheChannelsSoFar) {
  SequenceFile f = Valid();
  f.SetText("channels", "not a table at all");
  f.Write(PathOf("bad.dls"));
  Ref<File> doc = Document();
  const Error e = LoadFails(*doc, PathOf("bad.dls"));
  EXPECT_NE(e.Description().find("the channel table"), std::string::npos) << e.what();
  // The collections were replaced in the step before: the document holds new, empty ones.
  EXPECT_EQ(doc->Channels()->GetBounds(), 0);
  EXPECT_EQ(heard_.back(), "status Opening Table: Channels");
}

TEST_F(LoadBadInputTest, AnUnknownFileTypeIsRefusedBeforeAnything) {
  Valid().Write(PathOf("show.dls"));
  Ref<File> doc = Document();
  const Error e = LoadFails(*doc, PathOf("show.dls"), static_cast<FileType>(3));
  EXPECT_EQ(e.Number(), 5);
  EXPECT_TRUE(heard_.empty());
  EXPECT_EQ(doc->Title(), u"before");
}

}  // namespace
}  // namespace quarnel::dataapi::testing
