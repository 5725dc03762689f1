#include "converter/Options.h"
#include "converter/SequenceNames.h"

#include <gtest/gtest.h>

namespace quarnel::converter {
namespace {

TEST(OptionsTest, TextsBecomeSampleCountsOrAreRefusedByName) {
  const Options defaults = std::get<Options>(ParseOptions({}));
  EXPECT_NEAR(defaults.ramp_spacing, 3392.3, 0.05);
  EXPECT_EQ(defaults.twinkle_probability, 0.5);
  EXPECT_EQ(defaults.twinkle_period, 2293);
  EXPECT_EQ(defaults.shimmer_on_time, 2293);
  EXPECT_EQ(defaults.shimmer_period, 4762);

  struct Case {
    OptionTexts texts;
    const char* refused_by;  // nullptr: accepted
  } cases[] = {
      {{"26.9", "0", "1000", " 52 ", "+54"}, nullptr},
      {{"1", "100", "0.0114", "1e3", "54"}, nullptr},
      {{"0.9", "50", "26", "26", "54"}, "--ramp-resolution"},
      {{"-26", "50", "26", "26", "54"}, "--ramp-resolution"},
      {{"abc", "50", "26", "26", "54"}, "--ramp-resolution"},
      {{"26", "100.5", "26", "26", "54"}, "--twinkle-density"},
      {{"26", "-1", "26", "26", "54"}, "--twinkle-density"},
      {{"26", "", "26", "26", "54"}, "--twinkle-density"},
      {{"26", "50", "0.01", "26", "54"}, "--twinkle-rate"},
      {{"26", "50", "26", "0", "54"}, "--shimmer-duration"},
      {{"26", "50", "26", "26", "-54"}, "--shimmer-rate"},
      {{"26", "50", "26", "26", "54ms"}, "--shimmer-rate"},
      {{"26", "50", "26", "26", "1e300"}, "--shimmer-rate"},
      {{"26", "50", "26", "26", "nan"}, "--shimmer-rate"},
  };
  for (const Case& c : cases) {
    const auto parsed = ParseOptions(c.texts);
    if (c.refused_by == nullptr) {
      EXPECT_TRUE(std::holds_alternative<Options>(parsed)) << std::get<std::string>(parsed);
    } else {
      ASSERT_TRUE(std::holds_alternative<std::string>(parsed)) << c.refused_by;
      EXPECT_EQ(std::get<std::string>(parsed).rfind(c.refused_by, 0), 0u)
          << std::get<std::string>(parsed);
    }
  }
  const Options first = std::get<Options>(ParseOptions(cases[0].texts));
  EXPECT_NEAR(first.ramp_spacing, 88200.0 / 26, 1e-9);
  EXPECT_EQ(first.twinkle_probability, 0);
  EXPECT_EQ(first.twinkle_period, 88200);
  EXPECT_EQ(first.shimmer_on_time, 4586);
}

TEST(SequenceNamesTest, OnlyTheFinalExtensionIsReplaced) {
  struct Case {
    const char* source;
    const char* dmx;  // nullptr: no DMX name
  } cases[] = {
      {"Show.dls", "Show_DMX.dls"},
      {"/shows/Show.DLS", "/shows/Show_DMX.dls"},
      {"shows.dls/Show.Dls", "shows.dls/Show_DMX.dls"},
      {"my.dls.old/a.dls.dls", "my.dls.old/a.dls_DMX.dls"},
      {"Show_DMX.dls", "Show_DMX_DMX.dls"},
      {"Show.dls.bak", nullptr},
      {"shows.dls/", nullptr},
      {"Show", nullptr},
  };
  for (const Case& c : cases) {
    const auto name = DmxSequenceName(c.source);
    if (c.dmx == nullptr) {
      EXPECT_FALSE(name) << c.source;
    } else {
      EXPECT_EQ(name.value_or("-"), c.dmx) << c.source;
    }
  }
  EXPECT_EQ(ReportName("/shows/Show_DMX.dls"), "/shows/Show_DMX.txt");
}

}  // namespace
}  // namespace quarnel::converter
