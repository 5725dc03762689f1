// Damaged and hostile files: every sample cut at every length, bytes changed at random,
// sizes pointing past the end, wrong signatures and flags, hierarchical files. Each must
// give an AdtgFormatError naming an offset inside the file and what was expected there,
// never a crash, a hang or a read past the end (the sanitizer build checks the last).
#include "platform/recordset/adtg/AdtgReader.h"
#include "platform/recordset/tests/SampleFiles.h"

#include <functional>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace quarnel {
namespace {

using adtg::AdtgFormatError;

std::string Sample(const char* rel) { return testing::ReadFileBytes(testing::SampleDir() / rel); }

// The error a damaged file gives; fails the test when it reads without one.
AdtgFormatError ErrorOf(const std::string& file) {
  try {
    adtg::ReadAdtg(file);
  } catch (const AdtgFormatError& e) {
    return e;
  }
  ADD_FAILURE() << "the damaged file was read";
  return AdtgFormatError(0, "");
}

void Put32(std::string& s, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) s[at + i] = static_cast<char>(v >> (8 * i));
}

TEST(AdtgHostileTest, EverySampleCutAtEveryLengthIsRefused) {
  for (const auto& path : testing::AllSampleTables()) {
    SCOPED_TRACE(path.filename().string());
    const std::string full = testing::ReadFileBytes(path);
    for (size_t len = 0; len < full.size(); ++len) {
      const AdtgFormatError e = ErrorOf(full.substr(0, len));
      ASSERT_LE(e.offset(), len) << "cut at " << len;
      ASSERT_FALSE(e.expected().empty());
    }
  }
}

TEST(AdtgHostileTest, ChangedBytesAreReadOrRefusedNeverMisread) {
  std::mt19937 rng(20261208);
  for (const auto& path : testing::AllSampleTables()) {
    SCOPED_TRACE(path.filename().string());
    const std::string full = testing::ReadFileBytes(path);
    for (int round = 0; round < 300; ++round) {
      std::string damaged = full;
      const int flips = 1 + static_cast<int>(rng() % 4);
      for (int i = 0; i < flips; ++i) {
        damaged[rng() % damaged.size()] ^= static_cast<char>(1 + rng() % 255);
      }
      try {
        adtg::ReadAdtg(damaged);
      } catch (const AdtgFormatError& e) {
        ASSERT_LE(e.offset(), damaged.size());
      }
    }
  }
}

TEST(AdtgHostileTest, EachDamageIsNamedWithItsOffset) {
  const std::string good = Sample("tablegram/exhaustive/flat_VarChar_boundaries.adtg");
  // Rows start at 0x168: 07 FF, ID, VALUE_FIELD's 1-byte length.
  struct Case {
    const char* what;
    std::function<void(std::string&)> damage;
    size_t offset;
    const char* expected_part;
  };
  const std::vector<Case> cases = {
      {"wrong signature", [](std::string& s) { s[2] = 'X'; }, 0, "signature"},
      {"not a file at all", [](std::string& s) { s = "hello"; }, 0, "header"},
      {"big-endian", [](std::string& s) { s[7] = 1; }, 7, "little-endian"},
      {"Unicode character data", [](std::string& s) { s[8] = 1; }, 8, "single-byte"},
      {"handler options size past the end",
       [](std::string& s) { s[0x0A] = '\xFF', s[0x0B] = '\xFF'; }, 0x0C, "65535 bytes"},
      {"column descriptor size past the end",
       [](std::string& s) { s[0x10F] = '\xFF', s[0x110] = '\x7F'; }, 0x111, "column descriptor"},
      {"text length beyond the field's size", [](std::string& s) { s[0x16E] = '\x79'; }, 0x16E,
       "at most 120 bytes"},
      {"text length past the end", [](std::string& s) { s[0x1AB] = '\x70'; }, 0x1AC,
       "value's bytes"},
      {"bytes after the end token", [](std::string& s) { s.push_back('\0'); }, 445,
       "end of the file after the end token"},
      {"unknown row token", [](std::string& s) { s[0x168] = 0x42; }, 0x168, "found 0x42"},
      {"changed row without an original", [](std::string& s) { s[0x168] = 0x0A; }, 0x168,
       "may only follow"},
      {"child row of a hierarchical file", [](std::string& s) { s[0x168] = '\x8D'; }, 0x168,
       "hierarchical"},
      {"second result descriptor", [](std::string& s) { s.insert(0x10E, "\x03\x00\x00", 3); },
       0x10E, "hierarchical"},
      {"chapter column", [](std::string& s) { s[0x161] = 0x20; }, 0x132, "chapter"},
      {"unsupported storage type", [](std::string& s) { s[0x152] = 0x0C; }, 0x152, "storage type"},
      {"integer of the wrong size", [](std::string& s) { s[0x11E] = 8; }, 0x11E,
       "maximum length 4"},
      {"missing column descriptor", [](std::string& s) { s[0x3D] = 3; }, 0x168,
       "column descriptor 3 of 3"},
      {"wrong column ordinal", [](std::string& s) { s[0x138] = 5; }, 0x138, "ordinal 2"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::string file = good;
    c.damage(file);
    const AdtgFormatError e = ErrorOf(file);
    EXPECT_EQ(e.offset(), c.offset) << e.what();
    EXPECT_NE(std::string(e.what()).find(c.expected_part), std::string::npos) << e.what();
  }
}

TEST(AdtgHostileTest, HugeCountsAndLengthsTakeNoMemoryTheFileDoesNotHave) {
  // A row count of four billion and a 4-byte length of four billion in a small file.
  std::string file = Sample("tablegram/exhaustive/flat_LongVarChar_boundaries.adtg");
  Put32(file, 0x45, 0xFFFFFFFF);
  const size_t first_length = file.find(std::string("\x07\xFF\x01\x00\x00\x00", 6)) + 6;
  Put32(file, first_length, 0xFFFFFFFF);
  const AdtgFormatError e = ErrorOf(file);
  EXPECT_EQ(e.offset(), first_length);
}

}  // namespace
}  // namespace quarnel
