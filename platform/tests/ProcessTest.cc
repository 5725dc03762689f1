// Comparing program names, as the process list is searched.
#include "platform/process/ProcessList.h"

#include <gtest/gtest.h>

namespace quarnel::platform {
namespace {

TEST(ProcessListTest, ProgramNamesCompareInUpperCaseAndWholly) {
  struct Case {
    const char* a;
    const char* b;
    bool same;
  } cases[] = {
      {"QuarnelDMXHack", "QUARNELDMXHACK", true},
      {"quarneldmxhack.exe", "QuarnelDMXHack.EXE", true},
      {"QuarnelDMXHack", "QuarnelDMXHack.exe", false},
      {"QuarnelDMXHac", "QuarnelDMXHack", false},
      {"", "", true},
      {"a\xe9", "A\xe9", true},
  };
  for (const Case& c : cases) EXPECT_EQ(SameProgramName(c.a, c.b), c.same) << c.a << " / " << c.b;
}

}  // namespace
}  // namespace quarnel::platform
