#include "webdiag/DataFiles.h"

#include <filesystem>
#include <fstream>
#include <string>

#include <gtest/gtest.h>
#include <unistd.h>

namespace quarnel::webdiag {
namespace {

namespace fs = std::filesystem;

class DataFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::path(::testing::TempDir()) / ("datafiles-" + std::to_string(::getpid()));
    fs::create_directories(folder_);
  }
  void TearDown() override { fs::remove_all(folder_); }

  fs::path Write(const std::string& name, const std::string& bytes) {
    const fs::path path = folder_ / name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }
  // A file with `field` at bytes 320 to 335 and `after` behind it.
  fs::path SerialFile(const std::string& field, const std::string& after = "tail") {
    return Write("ftdinets.dat", std::string(319, 'x') + field + after);
  }

  fs::path folder_;
};

TEST_F(DataFilesTest, CleanSerialDropsNulsAndTrimsSpacesOnly) {
  struct Case {
    std::string field;
    std::string serial;
  } cases[] = {
      {"A6008abc", "A6008abc"},
      {std::string("A6008abc\0\0\0\0\0\0\0\0", 16), "A6008abc"},
      {"   A6008abc     ", "A6008abc"},
      {std::string("\0 A6\0008 B \0", 11), "A68 B"},
      {std::string(16, '\0'), ""},
      {std::string(16, ' '), ""},
      {"\tA6\t", "\tA6\t"},
  };
  for (const Case& c : cases) EXPECT_EQ(CleanSerial(c.field), c.serial);
}

TEST_F(DataFilesTest, SerialIsReadFromBytes320To335Only) {
  const fs::path file = SerialFile(std::string("A6008abc\0\0\0\0\0\0\0\0", 16), "NOT-THIS");
  const SerialNumber read = ReadSerialNumber(file);
  EXPECT_EQ(read.outcome, SerialNumber::Outcome::kFound);
  EXPECT_EQ(read.serial, "A6008abc");
  // All 16 bytes count, and not one more.
  EXPECT_EQ(ReadSerialNumber(SerialFile("0123456789ABCDEF", "G")).serial, "0123456789ABCDEF");
}

TEST_F(DataFilesTest, MissingShortOrEmptySerialSaysWhichAndWhy) {
  SerialNumber read = ReadSerialNumber(folder_ / "ftdinets.dat");
  EXPECT_EQ(read.outcome, SerialNumber::Outcome::kMissing);
  EXPECT_FALSE(fs::exists(folder_ / "ftdinets.dat"));  // not created
  EXPECT_NE(DescribeMissingSerial(read, folder_ / "ftdinets.dat").find("is missing"),
            std::string::npos);

  read = ReadSerialNumber(Write("ftdinets.dat", std::string(319, 'x')));
  EXPECT_EQ(read.outcome, SerialNumber::Outcome::kTooShort);
  EXPECT_EQ(read.file_size, 319u);
  EXPECT_NE(DescribeMissingSerial(read, "f").find("319 bytes long"), std::string::npos);

  read = ReadSerialNumber(Write("ftdinets.dat", ""));
  EXPECT_EQ(read.outcome, SerialNumber::Outcome::kTooShort);

  read = ReadSerialNumber(SerialFile(std::string(8, '\0') + std::string(8, ' ')));
  EXPECT_EQ(read.outcome, SerialNumber::Outcome::kEmpty);
  EXPECT_NE(DescribeMissingSerial(read, "f").find("no serial number"), std::string::npos);
}

TEST_F(DataFilesTest, FileEndingInsideTheFieldGivesWhatIsThere) {
  const SerialNumber read = ReadSerialNumber(SerialFile("A600", ""));
  EXPECT_EQ(read.outcome, SerialNumber::Outcome::kFound);
  EXPECT_EQ(read.serial, "A600");
}

TEST_F(DataFilesTest, SerialFileThatIsAFolderIsUnreadable) {
  fs::create_directory(folder_ / "ftdinets.dat");
  const SerialNumber read = ReadSerialNumber(folder_ / "ftdinets.dat");
  EXPECT_NE(read.outcome, SerialNumber::Outcome::kFound);
}

TEST_F(DataFilesTest, WholeFileIsReadByteForByte) {
  std::string bytes(300000, '\0');
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7);
  std::string error;
  EXPECT_EQ(ReadWholeFile(Write("template.htm", bytes), error), bytes);
  EXPECT_EQ(ReadWholeFile(Write("empty.htm", ""), error), "");
  EXPECT_EQ(ReadWholeFile(folder_ / "missing.htm", error), std::nullopt);
  EXPECT_NE(error.find("No such file"), std::string::npos) << error;
  EXPECT_FALSE(fs::exists(folder_ / "missing.htm"));
  EXPECT_EQ(ReadWholeFile(folder_, error), std::nullopt);
}

}  // namespace
}  // namespace quarnel::webdiag
