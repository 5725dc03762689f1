// The real window on Windows: what it shows follows the Window, and a click or a close on
// the screen acts as the Window's own press and close. Runs headless under Wine's null
// graphics driver.
#include "platform/base/WideText_win.h"
#include "platform/window/Window.h"

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <windows.h>

namespace quarnel::platform {
namespace {

using std::chrono::milliseconds;

HWND FindProgramWindow(const std::string& caption) {
  return ::FindWindowW(L"QuarnelProgramWindow", WideFromUtf8(caption).c_str());
}

std::string TextOf(HWND window) {
  std::wstring text(static_cast<size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(
      static_cast<size_t>(::GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return Utf8FromWide(text);
}

struct Child {
  std::string text;
  bool visible;
};

// The controls, in the order of their texts.
std::vector<Child> ChildrenOf(HWND window) {
  std::vector<Child> children;
  for (HWND child = ::GetWindow(window, GW_CHILD); child != nullptr;
       child = ::GetWindow(child, GW_HWNDNEXT)) {
    children.push_back({TextOf(child), (::GetWindowLongW(child, GWL_STYLE) & WS_VISIBLE) != 0});
  }
  std::sort(children.begin(), children.end(),
            [](const Child& a, const Child& b) { return a.text < b.text; });
  return children;
}

HWND ChildWithText(HWND window, const std::string& text) {
  HWND found = nullptr;
  for (HWND child = ::GetWindow(window, GW_CHILD); child != nullptr;
       child = ::GetWindow(child, GW_HWNDNEXT)) {
    if (TextOf(child) == text) found = child;
  }
  return found;
}

TEST(WindowViewTest, TheScreenShowsWhatTheWindowHolds) {
  EventLoop loop;
  std::ostringstream console;
  Window window(loop, "frmMain", console);
  window.SetCaption("Quarnel Open DMX Server – 1");
  Label& status = window.AddLabel("lblStatus", "Starting");
  window.AddLabel("lblHidden", "secret", /*visible=*/false);
  window.AddButton("cmdStop", "Stop");
  TextBox& log = window.AddTextBox("txtLog", "first\r\n");
  window.Load();

  HWND handle = FindProgramWindow("Quarnel Open DMX Server – 1");
  ASSERT_NE(handle, nullptr);
  EXPECT_TRUE(::IsWindowVisible(handle));
  status.SetCaption("Running\r\non port 1");
  log.Append("second\r\n");

  std::vector<Child> children = ChildrenOf(handle);
  ASSERT_EQ(children.size(), 4u);
  const struct {
    std::string text;
    bool visible;
  } expected[] = {
      {"Running\r\non port 1", true},
      {"Stop", true},
      {"first\r\nsecond\r\n", true},
      {"secret", false},
  };
  for (size_t i = 0; i < children.size(); ++i) {
    EXPECT_EQ(children[i].text, expected[i].text) << "control " << i;
    EXPECT_EQ(children[i].visible, expected[i].visible) << "control " << i;
  }
}

TEST(WindowViewTest, AClickPressesTheButtonAndACloseUnloadsUnlessRefused) {
  EventLoop loop;
  std::ostringstream console;
  Window window(loop, "frmMain", console);
  window.SetCaption("Click and close");
  int presses = 0;
  window.AddButton("cmdGo", "Go").OnClick([&] { ++presses; });
  bool refuse = true;
  int asked = 0;
  window.OnQueryUnload([&](bool& cancel) {
    ++asked;
    cancel = refuse;
  });
  window.Load();
  HWND handle = FindProgramWindow("Click and close");
  ASSERT_NE(handle, nullptr);

  ::PostMessageW(ChildWithText(handle, "Go"), BM_CLICK, 0, 0);
  EXPECT_TRUE(loop.RunUntil([&] { return presses == 1; }, milliseconds(2000)));

  ::PostMessageW(handle, WM_CLOSE, 0, 0);
  EXPECT_TRUE(loop.RunUntil([&] { return asked == 1; }, milliseconds(2000)));
  EXPECT_FALSE(window.Unloaded());
  refuse = false;
  ::PostMessageW(handle, WM_CLOSE, 0, 0);
  EXPECT_TRUE(loop.RunFor(milliseconds(2000)));  // the unload quits the loop
  EXPECT_TRUE(window.Unloaded());
  EXPECT_FALSE(::IsWindowVisible(handle));
}

}  // namespace
}  // namespace quarnel::platform
