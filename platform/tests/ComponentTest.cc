// Component libraries: loading one and calling its registration entry, and the result
// codes with their numbers and words.
#include "platform/component/Registration.h"
#include "platform/component/ResultCode.h"
#include "platform/tests/ScopedEnvironment.h"

#include <fstream>
#include <optional>
#include <string>

#include <gtest/gtest.h>
#include <unistd.h>

namespace quarnel::platform {
namespace {

namespace fs = std::filesystem;

TEST(ComponentTest, RegistrationGivesEveryOutcomeAsACodeWithWords) {
  const fs::path folder =
      fs::path(::testing::TempDir()) / ("component-" + std::to_string(::getpid()));
  fs::create_directories(folder);
  std::ofstream(folder / "libText.so") << "not a library";

  struct Case {
    const char* name;
    fs::path library;
    std::optional<std::string> stub_result;
    bool unregister;
    int32_t code;
    std::string reason_part;
  };
  const Case cases[] = {
      {"missing file",
       folder / "libNothing.so",
       {},
       false,
       kResultModuleNotFound,
       (folder / "libNothing.so").string() + " is not there"},
      {"not a library", folder / "libText.so", {}, false, kResultBadModule, "libText.so"},
      {"no entry point",
       QUARNEL_BARE_LIBRARY,
       {},
       false,
       kResultProcedureNotFound,
       "has no DllRegisterServer entry point"},
      {"no entry point to unregister",
       QUARNEL_BARE_LIBRARY,
       {},
       true,
       kResultProcedureNotFound,
       "has no DllUnregisterServer entry point"},
      {"registers", QUARNEL_STUB_LIBRARY, "0", false, kResultOk, ""},
      {"refuses", QUARNEL_STUB_LIBRARY, "0x80070005", false, kResultAccessDenied,
       std::string(QUARNEL_STUB_LIBRARY) + ": DllRegisterServer failed: Access is denied."},
      {"refuses to unregister", QUARNEL_STUB_LIBRARY, "0x80004005", true, kResultUnspecified,
       "DllUnregisterServer failed: Unspecified error."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    testing::ScopedEnvironment env;
    env.Set("QUARNEL_STUB_RESULT", c.stub_result);
    const RegistrationOutcome outcome =
        c.unregister ? UnregisterServer(c.library) : RegisterServer(c.library);
    EXPECT_EQ(outcome.code, c.code);
    EXPECT_NE(outcome.reason.find(c.reason_part), std::string::npos) << outcome.reason;
    EXPECT_EQ(outcome.reason.empty(), c.code == kResultOk) << outcome.reason;
  }
  fs::remove_all(folder);
}

TEST(ComponentTest, ResultCodesHaveTheSystemsNumbersAndWords) {
  // As a log shows them: signed decimals.
  EXPECT_EQ(kResultAccessDenied, -2147024891);
  EXPECT_EQ(kResultModuleNotFound, -2147024770);
  EXPECT_EQ(kResultProcedureNotFound, -2147024769);
  EXPECT_EQ(kResultUnspecified, -2147467259);

  // File errors from either category map to the same codes.
  for (const auto& [cause, code] :
       {std::pair{std::errc::permission_denied, kResultAccessDenied},
        std::pair{std::errc::read_only_file_system, kResultWriteProtected},
        std::pair{std::errc::not_a_directory, kResultNotAFolder},
        std::pair{std::errc::io_error, kResultUnspecified}}) {
    EXPECT_EQ(ResultFromErrorCode(std::make_error_code(cause)), code);
    EXPECT_EQ(ResultFromErrorCode(std::error_code(static_cast<int>(cause), std::system_category())),
              code);
  }
  EXPECT_EQ(ResultFromErrorCode({}), kResultOk);
  EXPECT_EQ(ResultText(kResultAccessDenied), "Access is denied.");
  EXPECT_EQ(ResultText(static_cast<int32_t>(0x80041234u)), "Error 0x80041234.");
}

}  // namespace
}  // namespace quarnel::platform
