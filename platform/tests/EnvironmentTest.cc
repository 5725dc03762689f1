// Environment variables read and written as UTF-8 text, whatever the characters.
#include "platform/base/Environment.h"

#include <gtest/gtest.h>

namespace quarnel::platform {
namespace {

TEST(EnvironmentTest, ValuesComeBackAsTheyWereSetAndRemovedOnesAreGone) {
  const std::string name = "QUARNEL_ENVIRONMENT_TEST";
  const std::optional<std::string> cases[] = {
      "plain",
      "C:\\Shows\\Caf\xc3\xa9 \xe2\x82\xac 2011",  // beyond code page 1252 too
      "a=b;c",
      std::nullopt,
      "again",
  };
  for (const auto& value : cases) {
    SCOPED_TRACE(value.value_or("<removed>"));
    SetEnvironmentValue(name, value);
    EXPECT_EQ(EnvironmentValue(name), value);
  }
  SetEnvironmentValue(name, std::nullopt);
  EXPECT_EQ(EnvironmentValue(name), std::nullopt);
}

}  // namespace
}  // namespace quarnel::platform
