#include "converter/ProgressView.h"

#include <sstream>

#include <gtest/gtest.h>

namespace quarnel::converter {
namespace {

using namespace std::chrono_literals;

TEST(ProgressViewTest, PlainOutputGivesOneLinePerStatusWithoutFlooding) {
  std::ostringstream out;
  std::chrono::steady_clock::time_point now{};
  ProgressView view(out, false, 80, [&] { return now; });
  struct Step {
    std::chrono::milliseconds at;
    const char* text;
    double percent;
  } steps[] = {
      {0ms, "Opening File a.dls", -1},
      {10ms, "NULL", 40},
      {20ms, "Creating Channel A", -1},
      {30ms, "Creating Channel B", -1},    // same kind: held back
      {1500ms, "Creating Channel C", -1},  // a second later
      {1510ms, "Recasting events 0 of 9", 0},
      {1520ms, "Done: 3 events created.", 100},
  };
  for (const Step& s : steps) {
    now = std::chrono::steady_clock::time_point(s.at);
    view.UpdateStatus(s.text, s.percent);
  }
  view.Finish();
  EXPECT_EQ(out.str(),
            "Opening File a.dls\nCreating Channel A\nCreating Channel C\n"
            "Recasting events 0 of 9\nDone: 3 events created.\n");
  EXPECT_EQ(view.Percent(), 100);
  EXPECT_EQ(view.BarWidth(), 10695);
}

TEST(ProgressViewTest, TerminalRedrawsOneLineInPlace) {
  std::ostringstream out;
  std::chrono::steady_clock::time_point now{};
  ProgressView view(out, true, 80, [&] { return now; });
  view.UpdateStatus("Recasting events 0 of 100", 0);
  view.UpdateStatus("Recasting events 1 of 100", 1);  // too soon to redraw
  view.Message("Warning: something");                 // above the line, which then shows 1
  now += 200ms;
  const std::string long_text(60, 'x');
  view.UpdateStatus(long_text, 50.7);
  EXPECT_EQ(view.BarWidth(), 5347);
  view.Finish();
  EXPECT_EQ(out.str(),
            "\rRecasting events 0 of 100  0 % [                    ]\x1b[K"
            "\r\x1b[KWarning: something\n"
            "\rRecasting events 1 of 100  1 % [                    ]\x1b[K"
            "\r" +
                long_text.substr(0, 47) + "...  50 % [##########          ]\x1b[K\n");
}

}  // namespace
}  // namespace quarnel::converter
