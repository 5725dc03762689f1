// Saving and opening through the recordset: fields and rows round-trip, rows are saved as
// pending inserts in the order added, a failed save leaves the old file as it was, and
// files that cannot be opened or read give the library's errors with clear details.
#include "platform/base/Error.h"
#include "platform/recordset/Recordset.h"
#include "platform/recordset/RecordsetErrors.h"
#include "platform/recordset/tests/SampleFiles.h"

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include <gtest/gtest.h>

namespace quarnel {
namespace {

namespace fs = std::filesystem;
namespace re = recordset_errors;

class RecordsetFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("recordset-file-test-" +
            std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  // A table as sequence files carry them: a text, a long text, an integer.
  void Fill(Recordset& rs, int rows) {
    rs.Fields().Append("title", DataTypeEnum::adVarChar, 1024);
    rs.Fields().Append("data", DataTypeEnum::adLongVarChar, 64);
    rs.Fields().Append("editcount", DataTypeEnum::adInteger);
    rs.Open();
    for (int i = 0; i < rows; ++i) {
      rs.AddNew();
      rs.Fields()["title"].SetText("Show \xC3\xA9t\xC3\xA9 " + std::to_string(i));
      rs.SetValue("data", Value::Bytes(std::string("\x00\xFF\x80", 3) + std::to_string(i)));
      rs.SetValue("editcount", rows - i);
    }
  }

  size_t FilesIn() const {
    return static_cast<size_t>(
        std::distance(fs::directory_iterator(dir_), fs::directory_iterator()));
  }

  fs::path dir_;
};

int32_t ErrorOf(const std::function<void()>& f, std::string* description = nullptr) {
  try {
    f();
  } catch (const Error& e) {
    if (description) *description = e.Description();
    return e.Number();
  }
  return 0;
}

TEST_F(RecordsetFileTest, SavedTableOpensWithItsFieldsAndRows) {
  Recordset rs;
  Fill(rs, 3);
  rs.SetSort("editcount");  // the sort changes the walk, not what is saved
  rs.Save(dir_ / "show.dls");

  Recordset back;
  back.Open(dir_ / "show.dls");
  ASSERT_EQ(back.Fields().Count(), 3);
  EXPECT_EQ(back.Fields().Item(0).Name(), "title");
  EXPECT_EQ(back.Fields().Item(0).Type(), DataTypeEnum::adVarChar);
  EXPECT_EQ(back.Fields().Item(0).DefinedSize(), 1024);
  EXPECT_EQ(back.Fields().Item(1).Type(), DataTypeEnum::adLongVarChar);
  EXPECT_EQ(back.Fields().Item(1).DefinedSize(), 64);
  EXPECT_EQ(back.Fields().Item(2).Type(), DataTypeEnum::adInteger);
  ASSERT_EQ(back.RecordCount(), 3);
  int i = 0;
  for (back.MoveFirst(); !back.Eof(); back.MoveNext(), ++i) {
    EXPECT_EQ(back.Fields()["TITLE"].Text(), "Show \xC3\xA9t\xC3\xA9 " + std::to_string(i));
    EXPECT_EQ(back.Value("data").bytes(), std::string("\x00\xFF\x80", 3) + std::to_string(i));
    EXPECT_EQ(back.Fields()["editcount"].Int32(), 3 - i);
  }
}

TEST_F(RecordsetFileTest, RowsAreSavedAsPendingInsertsUnlessCommittedIsAsked) {
  Recordset rs;
  Fill(rs, 1);
  rs.Save(dir_ / "a.tmp");
  rs.Save(dir_ / "b.tmp", PersistFormatEnum::adPersistADTG, SavedRows::kCommitted);
  const std::string a = testing::ReadFileBytes(dir_ / "a.tmp");
  const std::string b = testing::ReadFileBytes(dir_ / "b.tmp");
  const size_t rows_at = 270 + (32 + 10) + (32 + 8) + (32 + 18);
  EXPECT_EQ(static_cast<uint8_t>(a[rows_at]), 0x0D);
  EXPECT_EQ(static_cast<uint8_t>(b[rows_at]), 0x07);
  Recordset back;
  back.Open(dir_ / "b.tmp");
  EXPECT_EQ(back.Fields()["editcount"].Int32(), 1);
}

TEST_F(RecordsetFileTest, OpenedRowsStayCommittedAndAddedRowsArePending) {
  const fs::path sample =
      testing::SampleDir() / "tablegram/exhaustive/flat_Integer_boundaries.adtg";
  Recordset rs;
  rs.Open(sample);
  rs.Save(dir_ / "same.adtg");
  EXPECT_EQ(testing::ReadFileBytes(dir_ / "same.adtg"), testing::ReadFileBytes(sample));
  rs.AddNew();
  rs.SetValue("ID", 7);
  rs.Save(dir_ / "more.adtg");
  const std::string more = testing::ReadFileBytes(dir_ / "more.adtg");
  // The six committed rows as they were, then the new row as a pending insert.
  EXPECT_EQ(more.substr(more.size() - 8), std::string("\x0D\x80\x00\x07\x00\x00\x00\x0F", 8));
  Recordset back;
  back.Open(dir_ / "more.adtg");
  EXPECT_EQ(back.RecordCount(), 7);
}

TEST_F(RecordsetFileTest, SaveReplacesTheFileAndLeavesNothingBeside) {
  Recordset big;
  Fill(big, 50);
  big.Save(dir_ / "show.dls");
  Recordset small;
  Fill(small, 1);
  small.Save(dir_ / "show.dls");
  Recordset back;
  back.Open(dir_ / "show.dls");
  EXPECT_EQ(back.RecordCount(), 1);
  EXPECT_EQ(FilesIn(), 1u);
}

TEST_F(RecordsetFileTest, FailedSaveLeavesTheOldFileAsItWas) {
  Recordset rs;
  Fill(rs, 2);
  rs.Save(dir_ / "show.dls");
  const std::string before = testing::ReadFileBytes(dir_ / "show.dls");

  // A value the committed form cannot hold.
  rs.MoveFirst();
  rs.SetValue("editcount", Value::Null());
  EXPECT_EQ(ErrorOf([&] {
              rs.Save(dir_ / "show.dls", PersistFormatEnum::adPersistADTG, SavedRows::kCommitted);
            }),
            re::kDataOverflow);
  EXPECT_EQ(testing::ReadFileBytes(dir_ / "show.dls"), before);

  // A target that cannot be replaced: a folder of that name.
  fs::create_directories(dir_ / "taken");
  fs::create_directories(dir_ / "taken" / "inside");
  EXPECT_EQ(ErrorOf([&] { rs.Save(dir_ / "taken"); }), re::kWriteFile);
  EXPECT_TRUE(fs::is_directory(dir_ / "taken" / "inside"));
  EXPECT_EQ(FilesIn(), 2u);  // show.dls and the folder; no half-written file

  std::string why;
  EXPECT_EQ(ErrorOf([&] { rs.Save(dir_ / "missing" / "show.dls"); }, &why), re::kWriteFile);
  EXPECT_NE(why.find("missing"), std::string::npos) << why;
}

TEST_F(RecordsetFileTest, OpeningWhatIsNotASavedTableSaysWhereAndWhy) {
  std::string why;
  Recordset rs;
  EXPECT_EQ(ErrorOf([&] { rs.Open(dir_ / "none.dls"); }, &why), re::kOpeningFile);
  EXPECT_NE(why.find("none.dls"), std::string::npos) << why;

  std::ofstream(dir_ / "text.dls") << "just some text";
  EXPECT_EQ(ErrorOf([&] { rs.Open(dir_ / "text.dls"); }, &why), re::kReadFile);
  EXPECT_NE(why.find("byte 0"), std::string::npos) << why;
  EXPECT_EQ(rs.State(), ObjectStateEnum::adStateClosed);

  EXPECT_EQ(ErrorOf([&] { rs.Open(dir_); }), re::kOpeningFile);
}

TEST_F(RecordsetFileTest, OpenedSampleShowsPendingChangesAsTheLibraryDoes) {
  Recordset rs;
  rs.Open(testing::SampleDir() / "tablegram/exhaustive/flat_Integer_states.adtg");
  EXPECT_EQ(rs.RecordCount(), 3);  // the pending delete is gone
  EXPECT_EQ(rs.Fields()["id"].Int32(), 1);
  rs.Close();
  EXPECT_EQ(ErrorOf([&] { rs.RecordCount(); }), re::kObjectClosed);
}

}  // namespace
}  // namespace quarnel
