#include "platform/window/Window.h"

#include <ostream>

namespace quarnel::platform {

Window::Window(EventLoop& loop, std::string name, std::ostream& console)
    : loop_(loop),
      name_(std::move(name)),
      console_(console),
      view_(std::make_unique<WindowView>(*this)) {
  loop_.SetQuitSignalHandler([this](int) { Unload(); });
}

Window::~Window() {
  loop_.SetQuitSignalHandler(nullptr);
  // Timers first: they refer to the window.
  timers_.clear();
}

void Window::SetCaption(std::string caption) {
  if (caption_set_ && caption == caption_) return;
  caption_ = std::move(caption);
  caption_set_ = true;
  WriteLine("== " + caption_ + " ==");
  view_->CaptionChanged();
}

Label& Window::AddLabel(const std::string& name, std::string caption, bool visible) {
  auto label = std::make_unique<Label>(*this, name, std::move(caption), visible);
  Label& ref = *label;
  labels_[name] = std::move(label);
  return ref;
}

Button& Window::AddButton(const std::string& name, std::string caption) {
  auto button = std::make_unique<Button>(name, std::move(caption));
  Button& ref = *button;
  buttons_[name] = std::move(button);
  view_->ButtonAdded(ref);
  return ref;
}

TextBox& Window::AddTextBox(const std::string& name, std::string text) {
  auto box = std::make_unique<TextBox>(*this, name, std::move(text));
  TextBox& ref = *box;
  text_boxes_[name] = std::move(box);
  return ref;
}

Timer& Window::AddTimer(const std::string& name, int32_t interval_ms, bool enabled) {
  auto timer = std::make_unique<Timer>(*this, name, interval_ms, enabled);
  Timer& ref = *timer;
  timers_[name] = std::move(timer);
  return ref;
}

Label& Window::GetLabel(const std::string& name) const { return *labels_.at(name); }
Button& Window::GetButton(const std::string& name) const { return *buttons_.at(name); }
Timer& Window::GetTimer(const std::string& name) const { return *timers_.at(name); }
TextBox& Window::GetTextBox(const std::string& name) const { return *text_boxes_.at(name); }

void Window::Load() {
  if (loaded_ || unloaded_) return;
  loaded_ = true;
  view_->Show();
  for (auto& [name, timer] : timers_) timer->Update();
  auto handler = on_load_;
  if (handler) handler();
}

bool Window::Unload() {
  if (unloaded_) return true;
  if (unloading_) return false;
  unloading_ = true;
  bool cancel = false;
  auto query = on_query_unload_;
  if (query) query(cancel);
  if (cancel) {
    unloading_ = false;
    return false;
  }
  auto unload = on_unload_;
  if (unload) unload();
  unloaded_ = true;
  unloading_ = false;
  view_->Hide();
  for (auto& [name, timer] : timers_) timer->Update();
  loop_.Quit();
  return true;
}

namespace {

// Labels and text boxes hold CR LF line breaks; the console wants plain new lines.
std::string ConsoleText(std::string_view text) {
  std::string out;
  out.reserve(text.size() + 1);
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r') {
      if (i + 1 < text.size() && text[i + 1] == '\n') continue;
      out.push_back('\n');
    } else {
      out.push_back(text[i]);
    }
  }
  return out;
}

}  // namespace

void Window::WriteLine(const std::string& text) const {
  console_ << ConsoleText(text) << std::endl;
}

void Window::Write(std::string_view text) const { console_ << ConsoleText(text) << std::flush; }

}  // namespace quarnel::platform
