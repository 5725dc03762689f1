#include "installer/tests/TestHome.h"

#include "installer/Shortcuts.h"
#include "platform/tests/DesktopFiles.h"

#include <algorithm>
#include <fstream>

#include <gtest/gtest.h>
#include <unistd.h>

namespace quarnel::installer::testing {

namespace fs = std::filesystem;

TestHome::TestHome(const std::string& tag) {
  const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
  root_ = fs::path(::testing::TempDir()) /
          ("installer-" + std::to_string(::getpid()) + "-" + (test ? test->name() : "x") + tag);
  fs::remove_all(root_);
  fs::create_directories(Home());
  fs::create_directories(SystemMenu(1).parent_path());
  fs::create_directories(SystemMenu(2).parent_path());
}

TestHome::~TestHome() {
  std::error_code ec;
  fs::remove_all(root_, ec);
}

fs::path TestHome::SystemMenu(int n) const {
  return root_ / ("sys" + std::to_string(n)) / "applications";
}

std::vector<std::pair<std::string, std::string>> TestHome::Environment() const {
  return {{"HOME", Home().string()},
          {"XDG_DATA_HOME", ""},
          {"XDG_CONFIG_HOME", ""},
          {"XDG_STATE_HOME", ""},
          {"XDG_DATA_DIRS",
           SystemMenu(1).parent_path().string() + ":" + SystemMenu(2).parent_path().string()},
          {"QUARNEL_WORKSPACE", ""}};
}

void TestHome::Touch(const fs::path& path, const std::string& text) {
  const fs::path file = path.is_absolute() ? path : root_ / path;
  fs::create_directories(file.parent_path());
  std::ofstream(file) << text;
}

std::vector<std::string> TestHome::Tree() const {
  std::vector<std::string> names;
  for (const fs::path& top : {Home(), SystemMenu(1), SystemMenu(2)}) {
    std::error_code ec;
    for (fs::recursive_directory_iterator it(top, ec), end; !ec && it != end; it.increment(ec)) {
      names.push_back(it->path().lexically_relative(root_).string());
    }
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::vector<std::string> ShortcutFileNames() {
  std::vector<std::string> names;
  for (const ShortcutRow& row : kShortcuts) names.push_back(ShortcutFileName(row));
  return names;
}

void ExpectShortcutsIn(const fs::path& folder, const fs::path& program_folder) {
  SCOPED_TRACE("shortcuts in " + folder.string());
  struct Expected {
    const char* file;
    const char* program;
    const char* terminal;
    std::string icon;
  };
  const Expected expected[] = {
      {"DMX Quarnel Scheduler (2011 patched).desktop", "quarnel_scheduler_90_patched.exe", "false",
       "application-x-executable"},
      {"DMX Quarnel Web Diagnostics Server.desktop", "QuarnelWebDiagnostics", "true",
       (program_folder / "QuarnelWebDiagnostics.svg").string()},
      {"Quarnel DMX Recaster (Converter).desktop", "DMXRecaster", "true",
       (program_folder / "DMXRecaster.svg").string()},
  };
  for (const Expected& e : expected) {
    const fs::path file = folder / e.file;
    ASSERT_TRUE(fs::is_regular_file(file)) << file;
    EXPECT_EQ(platform::testing::DesktopFileComplaints(file), "");
    auto keys = platform::testing::ReadDesktopKeys(file);
    EXPECT_EQ(keys["Name"], fs::path(e.file).stem().string());
    EXPECT_EQ(platform::testing::ExecArguments(keys["Exec"]),
              std::vector<std::string>{(program_folder / e.program).string()});
    EXPECT_EQ(keys["Terminal"], e.terminal);
    EXPECT_EQ(keys["Icon"], e.icon);
    EXPECT_NE(fs::status(file).permissions() & fs::perms::owner_exec, fs::perms::none);
  }
}

std::vector<std::string> LinesOf(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(std::move(line));
    start = end + 1;
  }
  return lines;
}

}  // namespace quarnel::installer::testing
