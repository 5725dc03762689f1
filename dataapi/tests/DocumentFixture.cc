#include "dataapi/tests/DocumentFixture.h"

#include "platform/base/Environment.h"
#include "platform/base/PathText.h"
#include "platform/tests/TestSystem.h"

#include <fstream>
#include <iterator>

namespace quarnel::dataapi::testing {

namespace fs = std::filesystem;

void DocumentTest::SetUp() {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  std::string name = "document-" + std::string(info->test_suite_name()) + "-" + info->name() + "-" +
                     std::to_string(platform::testing::CurrentProcessId());
  for (char& c : name) {
    if (c == '/') c = '_';  // parameterised tests
  }
  dir_ = fs::path(::testing::TempDir()) / name;
  fs::remove_all(dir_);
  fs::create_directories(dir_);
  workspace_ = dir_ / "workspace";
  platform::SetEnvironmentValue("QUARNEL_WORKSPACE", platform::Utf8FromPath(workspace_));
}

void DocumentTest::TearDown() {
  platform::SetEnvironmentValue("QUARNEL_WORKSPACE", std::nullopt);
  std::error_code ignored;
  fs::remove_all(dir_, ignored);
}

std::string DocumentTest::Cache(const std::string& name) const {
  std::ifstream in(CachePath(name), std::ios::binary);
  if (!in) return "<missing>";
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void DocumentTest::WriteCache(const std::string& name, const std::string& bytes) const {
  fs::create_directories(workspace_);
  std::ofstream(CachePath(name), std::ios::binary) << bytes;
}

Recorder::Recorder(File& doc) : sink(MakeRef<FileEventHandlers>()) {
  sink->on_status_change = [this](std::u16string& t) { heard.push_back("status " + Ascii(t)); };
  sink->on_progress = [this](double& p) {
    heard.push_back("progress " + std::to_string(static_cast<int>(p)));
  };
  sink->on_compose_complete = [this] { heard.push_back("compose"); };
  auto tool = [this](const char* kind) {
    return [this, kind](int32_t& id, int32_t& start, int32_t& end, std::vector<int32_t>& p) {
      std::string line = std::string(kind) + " " + std::to_string(id) + " " +
                         std::to_string(start) + " " + std::to_string(end);
      for (int32_t v : p) line += " " + std::to_string(v);
      heard.push_back(line);
    };
  };
  sink->on_tool_initialize = tool("tool");
  sink->on_history_initialize = tool("history");
  doc.Advise(sink);
}

std::u16string U16(const std::string& ascii) { return std::u16string(ascii.begin(), ascii.end()); }

std::string Ascii(const std::u16string& text) {
  std::string out;
  for (char16_t c : text) out.push_back(c < 128 ? static_cast<char>(c) : '?');
  return out;
}

}  // namespace quarnel::dataapi::testing
