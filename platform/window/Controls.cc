#include "platform/window/Controls.h"

#include "platform/window/Window.h"

#include <chrono>

namespace quarnel::platform {

// --- Label

Label::Label(Window& window, std::string name, std::string caption, bool visible)
    : window_(window), name_(std::move(name)), caption_(std::move(caption)), visible_(visible) {
  Show();
}

void Label::SetCaption(std::string caption) {
  if (caption == caption_) return;
  caption_ = std::move(caption);
  Show();
}

void Label::SetVisible(bool visible) {
  if (visible == visible_) return;
  visible_ = visible;
  Show();
}

void Label::Show() const {
  if (visible_ && !caption_.empty()) window_.WriteLine(caption_);
  window_.View().LabelChanged(*this);
}

// --- TextBox

TextBox::TextBox(Window& window, std::string name, std::string text)
    : window_(window), name_(std::move(name)), text_(std::move(text)) {
  if (!text_.empty()) window_.Write(text_);
  window_.View().TextBoxChanged(*this);
}

void TextBox::SetText(std::string text) {
  if (text == text_) return;
  if (text.starts_with(text_)) {
    window_.Write(std::string_view(text).substr(text_.size()));
  } else {
    window_.WriteLine("");
    window_.Write(text);
  }
  const size_t kept = text.starts_with(text_) ? text_.size() : 0;
  text_ = std::move(text);
  if (kept > 0) {
    window_.View().TextBoxAppended(*this, std::string_view(text_).substr(kept));
  } else {
    window_.View().TextBoxChanged(*this);
  }
}

void TextBox::Append(std::string_view text) {
  if (text.empty()) return;
  window_.Write(text);
  text_ += text;
  window_.View().TextBoxAppended(*this, text);
}

// --- Button

void Button::Click() {
  // A copy: the handler may replace itself or remove the window's controls.
  auto handler = click_;
  if (handler) handler();
}

// --- Timer

Timer::Timer(Window& window, std::string name, int32_t interval_ms, bool enabled)
    : window_(window), name_(std::move(name)), interval_ms_(interval_ms), enabled_(enabled) {
  Update();
}

Timer::~Timer() {
  if (running_ != 0) window_.Loop().CancelTimer(running_);
}

void Timer::SetInterval(int32_t interval_ms) {
  interval_ms_ = interval_ms;
  if (running_ != 0) {
    missed_before_ += window_.Loop().MissedTicks(running_);
    window_.Loop().CancelTimer(running_);
    running_ = 0;
  }
  Update();
}

void Timer::SetEnabled(bool enabled) {
  enabled_ = enabled;
  Update();
}

uint64_t Timer::MissedTicks() const {
  return missed_before_ + (running_ != 0 ? window_.Loop().MissedTicks(running_) : 0);
}

void Timer::Update() {
  bool run = enabled_ && interval_ms_ > 0 && window_.Loaded() && !window_.Unloaded();
  if (run && running_ == 0) {
    running_ = window_.Loop().RunEvery(std::chrono::milliseconds(interval_ms_), [this] {
      auto handler = handler_;
      if (handler) handler();
    });
  } else if (!run && running_ != 0) {
    missed_before_ += window_.Loop().MissedTicks(running_);
    window_.Loop().CancelTimer(running_);
    running_ = 0;
  }
}

}  // namespace quarnel::platform
