// Samples whose rows the writer produces (all pending inserts, or all committed) are
// written back byte for byte.
#include "platform/recordset/adtg/AdtgReader.h"
#include "platform/recordset/adtg/AdtgWriter.h"
#include "platform/recordset/tests/SampleFiles.h"

#include <algorithm>

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

}  // namespace
}  // namespace quarnel
