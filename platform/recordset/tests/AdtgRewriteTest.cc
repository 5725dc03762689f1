// Samples whose rows the writer produces (all pending inserts, or all committed) are
// written back byte for byte.
#include "platform/recordset/adtg/AdtgReader.h"
#include "platform/recordset/adtg/AdtgWriter.h"
#include "platform/recordset/tests/SampleFiles.h"

#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace quarnel {
namespace {

TEST(AdtgRewriteTest, SamplesOfOneRowKindAreWrittenBackByteForByte) {
  int rewritten = 0;
  for (const auto& path : testing::AllSampleTables()) {
    if (path.filename() == "publishers.tg") continue;  // a server's table, not one built here
    SCOPED_TRACE(path.filename().string());
    const std::string bytes = testing::ReadFileBytes(path);
    const adtg::AdtgImage image = adtg::ReadAdtg(bytes);
    auto all = [&](adtg::RowStatus s) {
      return std::all_of(image.status.begin(), image.status.end(),
                         [s](adtg::RowStatus x) { return x == s; });
    };
    if (all(adtg::RowStatus::kInserted)) {
      EXPECT_EQ(adtg::WriteAdtg(image.table, SavedRows::kPendingInserts), bytes);
      ++rewritten;
    }
    if (all(adtg::RowStatus::kUnchanged)) {
      EXPECT_EQ(adtg::WriteAdtg(image.table, SavedRows::kCommitted), bytes);
      ++rewritten;
    }
  }
  // 3 files of pending inserts, 9 of committed rows, 2 empty ones counted twice.
  EXPECT_EQ(rewritten, 16);
}

TEST(AdtgRewriteTest, ATableSavesItsRowsAsItHoldsThem) {
  for (const char* name : {"tablegram/generated/strings_korean_ansi.adtg",
                           "tablegram/fuzz/large_varlen_fields.adtg"}) {
    SCOPED_TRACE(name);
    const std::string bytes = testing::ReadFileBytes(testing::SampleDir() / name);
    const adtg::AdtgImage image = adtg::ReadAdtg(bytes);
    EXPECT_EQ(adtg::WriteAdtg(image.table, SavedRows::kAsHeld), bytes);
  }
  // Pending changes: deletes are gone, a changed row is committed with its new values, a
  // changed row given a null its field cannot hold committed stays pending, inserts stay.
  adtg::AdtgReadOptions opened;
  opened.keep_deleted = false;
  const adtg::AdtgImage image = adtg::ReadAdtg(
      testing::ReadFileBytes(testing::SampleDir() / "tablegram/fuzz/required_fields.adtg"), opened);
  const adtg::AdtgImage saved = adtg::ReadAdtg(adtg::WriteAdtg(image.table, SavedRows::kAsHeld));
  using S = adtg::RowStatus;
  EXPECT_EQ(saved.status, (std::vector<S>{S::kUnchanged, S::kUnchanged, S::kInserted}));
  EXPECT_EQ(saved.table.Get(0, 1),
            Value::Bytes(std::string("a\0l\0p\0h\0a\0-\0u\0p\0d\0a\0t\0e\0d\0", 26)));
}

}  // namespace
}  // namespace quarnel
