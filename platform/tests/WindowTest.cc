#include "platform/tests/LoopTestSystem.h"
#include "platform/window/MessageWindow.h"
#include "platform/window/Window.h"
#include "platform/window/WindowTable.h"

#include <csignal>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace quarnel::platform {
namespace {

using std::chrono::milliseconds;

constexpr milliseconds kPatience{2000};

TEST(WindowTest, CaptionAndVisibleLabelsAreWrittenWhenSetOrChanged) {
  EventLoop loop;
  std::ostringstream console;
  Window window(loop, "frmMain", console);
  window.SetCaption("Quarnel Diagnostics Web Server");
  window.SetCaption("Quarnel Diagnostics Web Server");  // unchanged: not repeated
  Label& url = window.AddLabel("lblURL", "Starting... Please Wait");
  Label& started = window.AddLabel("lblStarted1", "running", /*visible=*/false);
  Label& ports = window.AddLabel("lblFirewallPorts", "");
  url.SetCaption("Starting... Please Wait");  // unchanged
  ports.SetCaption("Firewall Ports:\r\nTCP 80\r\n");
  started.SetVisible(true);
  url.SetCaption("http://127.0.0.1/");
  started.SetVisible(false);
  started.SetCaption("hidden change");  // not shown while hidden

  EXPECT_EQ(console.str(),
            "== Quarnel Diagnostics Web Server ==\n"
            "Starting... Please Wait\n"
            "Firewall Ports:\nTCP 80\n\n"
            "running\n"
            "http://127.0.0.1/\n");
  EXPECT_EQ(window.GetLabel("lblStarted1").Caption(), "hidden change");
}

TEST(WindowTest, ATextBoxThatGrowsWritesOnlyWhatWasAdded) {
  EventLoop loop;
  std::ostringstream console;
  Window window(loop, "frmMain", console);
  TextBox& log = window.AddTextBox("txtLog");
  log.Append("Step one");
  log.Append(".......");
  log.Append("Success\r\n");
  log.SetText(log.Text());  // unchanged: nothing written
  log.Append("Step two.......");
  EXPECT_EQ(console.str(), "Step one.......Success\nStep two.......");
  log.SetText("Cleared\r\n");  // not a continuation: written anew on a line of its own
  EXPECT_EQ(console.str(), "Step one.......Success\nStep two.......\nCleared\n");
  EXPECT_EQ(window.GetTextBox("txtLog").Text(), "Cleared\r\n");
}

TEST(WindowTest, PressedButtonRunsItsHandler) {
  EventLoop loop;
  std::ostringstream console;
  Window window(loop, "frmMain", console);
  int clicks = 0;
  window.AddButton("cmdShutdown", "Shutdown DMX Server").OnClick([&] { ++clicks; });
  window.Press("cmdShutdown");
  EXPECT_EQ(clicks, 1);
  EXPECT_THROW(window.Press("cmdMissing"), std::out_of_range);
}

TEST(WindowTest, UnloadAsksFirstThenRunsHandlerAndQuitsTheLoop) {
  EventLoop loop;
  std::ostringstream console;
  Window window(loop, "frmMain", console);
  std::vector<std::string> log;
  bool refuse = true;
  window.OnQueryUnload([&](bool& cancel) {
    log.push_back("query");
    cancel = refuse;
    // Closing again from inside the close is ignored, not recursive.
    EXPECT_FALSE(window.Unload());
  });
  window.OnUnload([&] { log.push_back("unload"); });
  window.Load();
  EXPECT_FALSE(window.Unload());
  EXPECT_FALSE(window.Unloaded());
  refuse = false;
  loop.Post([&] { window.Unload(); });
  EXPECT_TRUE(loop.RunFor(kPatience));  // the unload quit the loop
  EXPECT_TRUE(window.Unloaded());
  EXPECT_EQ(log, (std::vector<std::string>{"query", "query", "unload"}));
  EXPECT_TRUE(window.Unload());  // already gone
}

TEST(WindowTest, TimersRunOnlyWhileLoadedAndEnabled) {
  EventLoop loop;
  std::ostringstream console;
  Window window(loop, "frmMain", console);
  // tmrGo style: enabled at load, disables itself so it fires once.
  Timer& go = window.AddTimer("tmrGo", 5, true);
  int go_ticks = 0;
  go.OnTimer([&] {
    go.SetEnabled(false);
    ++go_ticks;
  });
  Timer& off = window.AddTimer("tmrOff", 1, false);
  int off_ticks = 0;
  off.OnTimer([&] { ++off_ticks; });
  int repeat_ticks = 0;
  window.AddTimer("tmrRepeat", 2, true).OnTimer([&] { ++repeat_ticks; });

  loop.RunFor(milliseconds(15));
  EXPECT_EQ(go_ticks, 0) << "timers wait for the window to load";
  window.Load();
  EXPECT_TRUE(loop.RunUntil([&] { return go_ticks == 1 && repeat_ticks >= 3; }, kPatience));
  loop.RunFor(milliseconds(15));
  EXPECT_EQ(go_ticks, 1);
  EXPECT_EQ(off_ticks, 0);
  window.Unload();
  int after_unload = repeat_ticks;
  loop.RunFor(milliseconds(10));
  EXPECT_EQ(repeat_ticks, after_unload);
}

TEST(WindowTest, QuitSignalClosesTheWindowThroughTheLoop) {
  EventLoop loop;
  std::ostringstream console;
  Window window(loop, "frmMain", console);
  bool asked = false;
  window.OnQueryUnload([&](bool&) { asked = true; });
  window.Load();
  testing::RequestQuit(SIGINT);
  EXPECT_FALSE(asked);  // only when the loop runs
  EXPECT_TRUE(loop.RunFor(kPatience));
  EXPECT_TRUE(asked);
  EXPECT_TRUE(window.Unloaded());
}

TEST(WindowTest, SignalForAWindowThatHasGoneIsDropped) {
  EventLoop loop;
  std::ostringstream console;
  bool asked = false;
  auto window = std::make_unique<Window>(loop, "frmMain", console);
  window->OnQueryUnload([&](bool&) { asked = true; });
  // The window goes in a message queued before the signal's.
  loop.Post([&] { window.reset(); });
  testing::RequestQuit(SIGTERM);
  loop.RunFor(milliseconds(10));
  EXPECT_EQ(window, nullptr);
  EXPECT_FALSE(asked);
}

// --- Message windows

class RecordingWindow : public MessageWindow {
 public:
  using MessageWindow::MessageWindow;
  void WindowProc(const WindowMessage& message) override { received.push_back(message.message); }
  std::vector<uint32_t> received;
};

WindowMessage Message(uint32_t id) {
  WindowMessage message;
  message.message = id;
  return message;
}

TEST(WindowTableTest, WindowMessagesReachLiveWindowsOnly) {
  EventLoop loop;
  WindowTable windows(loop);
  RecordingWindow keeper(windows);
  auto gone = std::make_unique<RecordingWindow>(windows);
  WindowHandle gone_handle = gone->Handle();
  auto guard = std::make_shared<int>(0);

  WindowMessage guarded = Message(1);
  guarded.guard = guard;
  guarded.guarded = true;
  windows.Post(keeper.Handle(), Message(7));
  windows.Post(keeper.Handle(), guarded);
  windows.Post(gone_handle, Message(8));
  windows.Post(keeper.Handle(), Message(9));
  gone.reset();
  guard.reset();
  loop.RunOnce(loop.Now());
  EXPECT_EQ(keeper.received, (std::vector<uint32_t>{7, 9}));
  EXPECT_EQ(windows.Find(gone_handle), nullptr);

  // A new window never gets an old handle.
  RecordingWindow fresh(windows);
  EXPECT_GT(fresh.Handle(), gone_handle);
}

TEST(WindowTableTest, WindowsAreFoundByTitle) {
  EventLoop loop;
  WindowTable windows(loop);
  RecordingWindow a(windows), b(windows);
  a.SetTitle(std::to_string(a.Handle()));
  b.SetTitle("listener");
  EXPECT_EQ(windows.FindByTitle(std::to_string(a.Handle())), &a);
  EXPECT_EQ(windows.FindByTitle("listener"), &b);
  EXPECT_EQ(windows.FindByTitle("nobody"), nullptr);
}

}  // namespace
}  // namespace quarnel::platform
