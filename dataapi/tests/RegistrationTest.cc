// The library's registration entry: the workspace folder is made ready, or the code says
// what stands in the way.
#include "dataapi/Registration.h"
#include "platform/component/ResultCode.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <unistd.h>

namespace quarnel::dataapi {
namespace {

namespace fs = std::filesystem;

TEST(RegistrationTest, RegisteringReadiesTheWorkspaceOrSaysWhatStandsInTheWay) {
  const fs::path root =
      fs::path(::testing::TempDir()) / ("registration-" + std::to_string(::getpid()));
  struct Case {
    const char* name;
    fs::path workspace;
    std::function<void()> prepare;
    int32_t code;
  };
  std::vector<Case> cases = {
      {"a folder to make", root / "new" / "workspace", [] {}, platform::kResultOk},
      {"a folder that is there", root / "there", [&] { fs::create_directories(root / "there"); },
       platform::kResultOk},
      {"a file in the way", root / "file", [&] { std::ofstream(root / "file") << "x"; },
       platform::kResultNotAFolder},
      {"a file on the way", root / "file" / "workspace",
       [&] { std::ofstream(root / "file") << "x"; }, platform::kResultNotAFolder},
  };
  // Permissions do not hold back root.
  if (::geteuid() != 0) {
    cases.push_back({"a folder that cannot be written", root / "read-only",
                     [&] {
                       fs::create_directories(root / "read-only");
                       fs::permissions(root / "read-only",
                                       fs::perms::owner_read | fs::perms::owner_exec);
                     },
                     platform::kResultAccessDenied});
  }
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove_all(root);
    fs::create_directories(root);
    c.prepare();
    ::setenv("QUARNEL_WORKSPACE", c.workspace.c_str(), 1);
    EXPECT_EQ(DllRegisterServer(), c.code);
    if (c.code == platform::kResultOk) {
      // Ready, and nothing left behind but the lock file.
      std::vector<std::string> names;
      for (const auto& entry : fs::directory_iterator(c.workspace)) {
        names.push_back(entry.path().filename().string());
      }
      EXPECT_EQ(names, std::vector<std::string>{"workspace.lock"});
    }
    fs::permissions(root, fs::perms::owner_all, fs::perm_options::add);
    if (fs::exists(root / "read-only")) fs::permissions(root / "read-only", fs::perms::owner_all);
  }
  ::unsetenv("QUARNEL_WORKSPACE");
  EXPECT_EQ(DllUnregisterServer(), platform::kResultOk);
  fs::remove_all(root);
}

}  // namespace
}  // namespace quarnel::dataapi
