// Component libraries: loading one and calling its registration entry, and the result
// codes with their numbers and words.
#include "platform/base/PathText.h"
#include "platform/component/Registration.h"
#include "platform/component/ResultCode.h"
#include "platform/tests/ScopedEnvironment.h"
#include "platform/tests/TestSystem.h"

#include <fstream>
#include <optional>
#include <string>

#include <gtest/gtest.h>

namespace quarnel::platform {
namespace {

namespace fs = std::filesystem;

TEST(ComponentTest, RegistrationGivesEveryOutcomeAsACodeWithWords) {
  const fs::path folder =
      fs::path(::testing::TempDir()) / ("component-" + std::to_string(testing::CurrentProcessId()));
  fs::create_directories(folder);
  const fs::path text = folder / ComponentLibraryFileName("Text");
  const fs::path nothing = folder / ComponentLibraryFileName("Nothing");
  std::ofstream(text) << "not a library";

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
       nothing,
       {},
       false,
       kResultModuleNotFound,
       Utf8FromPath(nothing) + " is not there"},
      {"not a library", text, {}, false, kResultBadModule, Utf8FromPath(text.filename())},
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
      {"registers for this user only", QUARNEL_STUB_LIBRARY, "1", false, kResultOk, ""},
      {"another success code", QUARNEL_STUB_LIBRARY, "2", true, kResultOk, ""},
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
    EXPECT_EQ(outcome.note.find("current user only") != std::string::npos,
              c.stub_result == "1" && !c.unregister)
        << outcome.note;
  }
  fs::remove_all(folder);
}

TEST(ComponentTest, ResultCodesHaveTheSystemsNumbersAndWords) {
  // As a log shows them: signed decimals.
  EXPECT_EQ(kResultAccessDenied, -2147024891);
  EXPECT_EQ(kResultModuleNotFound, -2147024770);
  EXPECT_EQ(kResultProcedureNotFound, -2147024769);
  EXPECT_EQ(kResultUnspecified, -2147467259);

  // File errors map to the same codes by their cause; the system's own numbers too
  // (on POSIX the causes' numbers; on Windows its error numbers, which carry over).
  struct Case {
    std::errc cause;
    int windows_number;
    int32_t code;
  };
  for (const Case& c : {Case{std::errc::permission_denied, 5, kResultAccessDenied},
                        Case{std::errc::read_only_file_system, 19, kResultWriteProtected},
                        Case{std::errc::not_a_directory, 267, kResultNotAFolder},
                        Case{std::errc::io_error, 0, kResultUnspecified}}) {
    EXPECT_EQ(ResultFromErrorCode(std::make_error_code(c.cause)), c.code);
#ifdef _WIN32
    if (c.windows_number == 0) continue;
    EXPECT_EQ(ResultFromErrorCode(std::error_code(c.windows_number, std::system_category())),
              c.code);
#else
    EXPECT_EQ(
        ResultFromErrorCode(std::error_code(static_cast<int>(c.cause), std::system_category())),
        c.code);
#endif
  }
  EXPECT_EQ(ResultFromErrorCode({}), kResultOk);
  EXPECT_EQ(ResultText(kResultAccessDenied), "Access is denied.");
  EXPECT_EQ(ResultText(static_cast<int32_t>(0x80041234u)), "Error 0x80041234.");
}

}  // namespace
}  // namespace quarnel::platform
