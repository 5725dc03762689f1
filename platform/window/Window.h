// A program's window: its caption, named controls and handlers, on one message loop.
//
// The window stands in for the programs' forms. Its caption and visible labels are written
// to the console when set or changed, and shown on the screen where the system has one
// (WindowView). Load() shows it and runs the load handler; Unload()
// asks the query-unload handler (which may cancel), runs the unload handler, stops the
// timers and makes the loop quit, which ends the program. SIGINT and SIGTERM close the
// window the same way, through a message on the loop. Tests drive a window with Press()
// and Unload() and run its loop for a bounded time with EventLoop::RunFor.
#pragma once

#include "platform/loop/EventLoop.h"
#include "platform/window/Controls.h"
#include "platform/window/WindowView.h"

#include <functional>
#include <iosfwd>
#include <map>
#include <memory>
#include <string>
#include <string_view>

namespace quarnel::platform {

class Window {
 public:
  // Console output goes to `console`; the window owns nothing outside itself.
  Window(EventLoop& loop, std::string name, std::ostream& console);
  ~Window();
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;

  const std::string& Name() const { return name_; }
  EventLoop& Loop() const { return loop_; }

  // --- Caption and controls
  const std::string& Caption() const { return caption_; }
  void SetCaption(std::string caption);
  Label& AddLabel(const std::string& name, std::string caption, bool visible = true);
  Button& AddButton(const std::string& name, std::string caption);
  TextBox& AddTextBox(const std::string& name, std::string text = {});
  Timer& AddTimer(const std::string& name, int32_t interval_ms, bool enabled);
  // REQUIRES: a control of that kind and name was added (else std::out_of_range).
  Label& GetLabel(const std::string& name) const;
  Button& GetButton(const std::string& name) const;
  TextBox& GetTextBox(const std::string& name) const;
  Timer& GetTimer(const std::string& name) const;

  // --- Handlers
  void OnLoad(std::function<void()> handler) { on_load_ = std::move(handler); }
  void OnQueryUnload(std::function<void(bool& cancel)> handler) {
    on_query_unload_ = std::move(handler);
  }
  void OnUnload(std::function<void()> handler) { on_unload_ = std::move(handler); }

  // --- Life
  // Shows the window: starts its enabled timers and runs the load handler.
  void Load();
  // Closes the window; false when the query-unload handler cancelled (or while a close
  // is already running). Quits the loop once unloaded.
  bool Unload();
  bool Loaded() const { return loaded_; }
  bool Unloaded() const { return unloaded_; }

  // Presses a button, as a person would.
  void Press(const std::string& button) { GetButton(button).Click(); }

  // Writes one line of what the window shows to the console.
  void WriteLine(const std::string& text) const;
  // Writes text as it stands, without ending the line, and shows it at once.
  void Write(std::string_view text) const;

  // The window on the screen, which the controls keep in step.
  WindowView& View() { return *view_; }

 private:
  EventLoop& loop_;
  std::string name_;
  std::ostream& console_;
  std::string caption_;
  bool caption_set_ = false;
  std::map<std::string, std::unique_ptr<Label>> labels_;
  std::map<std::string, std::unique_ptr<Button>> buttons_;
  std::map<std::string, std::unique_ptr<TextBox>> text_boxes_;
  std::map<std::string, std::unique_ptr<Timer>> timers_;
  std::function<void()> on_load_;
  std::function<void(bool&)> on_query_unload_;
  std::function<void()> on_unload_;
  bool loaded_ = false;
  bool unloaded_ = false;
  bool unloading_ = false;
  // Last: it goes first, so no screen message reaches a window half gone.
  std::unique_ptr<WindowView> view_;
};

}  // namespace quarnel::platform
