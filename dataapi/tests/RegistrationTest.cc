// The library's registration entry: the workspace folder is made ready, or the code says
// what stands in the way.
#include "dataapi/Registration.h"
#include "platform/base/PathText.h"
#include "platform/component/ResultCode.h"
#include "platform/tests/ScopedEnvironment.h"
#include "platform/tests/TestSystem.h"

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace quarnel::dataapi {
namespace {

namespace fs = std::filesystem;

TEST(RegistrationTest, RegisteringReadiesTheWorkspaceOrSaysWhatStandsInTheWay) {
  const fs::path root = fs::path(::testing::TempDir()) /
                        ("registration-" + std::to_string(platform::testing::CurrentProcessId()));
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
  platform::testing::ScopedEnvironment env;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove_all(root);
    fs::create_directories(root);
    c.prepare();
    env.Set("QUARNEL_WORKSPACE", platform::Utf8FromPath(c.workspace));
    EXPECT_EQ(DllRegisterServer(), c.code);
    if (c.code == platform::kResultOk) {
      // Ready, and nothing left behind but the lock file.
      std::vector<std::string> names;
      for (const auto& entry : fs::directory_iterator(c.workspace)) {
        names.push_back(entry.path().filename().string());
      }
      EXPECT_EQ(names, std::vector<std::string>{"workspace.lock"});
    }
  }
  {
    SCOPED_TRACE("a folder that cannot be written");
    fs::remove_all(root);
    fs::create_directories(root);
    platform::testing::UnwritableFolder folder(root);
    if (!folder.Path().empty()) {
      env.Set("QUARNEL_WORKSPACE", platform::Utf8FromPath(folder.Path()));
      EXPECT_EQ(DllRegisterServer(), platform::kResultAccessDenied);
    }
  }
  EXPECT_EQ(DllUnregisterServer(), platform::kResultOk);
  fs::remove_all(root);
}

}  // namespace
}  // namespace quarnel::dataapi
