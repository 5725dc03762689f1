// The named controls a program window holds: labels, buttons and interval timers.
//
// Controls belong to their Window and live as long as it does. A label's text is written
// to the console whenever it is shown or changes while shown, so a person running the
// program sees what the window would show. A timer fires every Interval milliseconds
// while enabled and its window is loaded, on the fixed grid of the loop's periodic
// timers.
#pragma once

#include "platform/loop/Clock.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace quarnel::platform {

class Window;

class Label {
 public:
  Label(Window& window, std::string name, std::string caption, bool visible);

  const std::string& Name() const { return name_; }
  const std::string& Caption() const { return caption_; }
  void SetCaption(std::string caption);
  bool Visible() const { return visible_; }
  void SetVisible(bool visible);

 private:
  void Show() const;

  Window& window_;
  std::string name_;
  std::string caption_;
  bool visible_;
};

// A text box. What it shows is written to the console as it grows: text that extends the
// old text writes only what was added, without ending the line (a log that grows piece by
// piece); any other change writes the whole text anew on its own line.
class TextBox {
 public:
  TextBox(Window& window, std::string name, std::string text);

  const std::string& Name() const { return name_; }
  const std::string& Text() const { return text_; }
  void SetText(std::string text);
  // Adds `text` at the end, as setting the text to Text() & text does.
  void Append(std::string_view text);

 private:
  Window& window_;
  std::string name_;
  std::string text_;
};

class Button {
 public:
  Button(std::string name, std::string caption)
      : name_(std::move(name)), caption_(std::move(caption)) {}

  const std::string& Name() const { return name_; }
  const std::string& Caption() const { return caption_; }
  void SetCaption(std::string caption) { caption_ = std::move(caption); }
  void OnClick(std::function<void()> handler) { click_ = std::move(handler); }
  // Runs the click handler, as a press of the button does.
  void Click();

 private:
  std::string name_;
  std::string caption_;
  std::function<void()> click_;
};

class Timer {
 public:
  Timer(Window& window, std::string name, int32_t interval_ms, bool enabled);
  ~Timer();
  Timer(const Timer&) = delete;
  Timer& operator=(const Timer&) = delete;

  const std::string& Name() const { return name_; }
  int32_t Interval() const { return interval_ms_; }
  // Starts counting the new interval from now.
  void SetInterval(int32_t interval_ms);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);
  void OnTimer(std::function<void()> handler) { handler_ = std::move(handler); }

  // Ticks skipped because the loop woke more than one interval late.
  uint64_t MissedTicks() const;

 private:
  friend class Window;
  // Starts or stops the loop timer to match Enabled, Interval and the window's state.
  void Update();

  Window& window_;
  std::string name_;
  int32_t interval_ms_;
  bool enabled_;
  std::function<void()> handler_;
  TimerId running_ = 0;
  uint64_t missed_before_ = 0;
};

}  // namespace quarnel::platform
