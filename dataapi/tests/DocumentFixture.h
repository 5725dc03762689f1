// A test fixture with a folder of its own and a workspace in it (QUARNEL_WORKSPACE), and
// a recorder of what a document raises.
#pragma once

#include "dataapi/File.h"

#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace quarnel::dataapi::testing {

class DocumentTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // A path in the test's folder (not in the workspace).
  std::filesystem::path PathOf(const std::string& name) const { return dir_ / name; }
  // A path in the workspace.
  std::filesystem::path CachePath(const std::string& name) const { return workspace_ / name; }
  // The bytes of a workspace file; "<missing>" when there is none.
  std::string Cache(const std::string& name) const;
  void WriteCache(const std::string& name, const std::string& bytes) const;

  std::filesystem::path dir_;
  std::filesystem::path workspace_;
};

// One line per event a document raises: "status <text>", "progress <n>", "compose",
// "tool <id> <start> <end> <parameters...>", "history ...".
struct Recorder {
  explicit Recorder(File& doc);
  Ref<FileEventHandlers> sink;
  std::vector<std::string> heard;
};

std::u16string U16(const std::string& ascii);
std::string Ascii(const std::u16string& text);

}  // namespace quarnel::dataapi::testing
