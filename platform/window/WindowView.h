// What a program's window shows on the screen, beside the console text.
//
// On Windows, a real top-level window: the caption, the visible labels as static texts,
// the buttons (a click presses the button) and the text boxes, kept in step with the
// Window's state; closing it unloads the Window as the window's close does. On POSIX
// systems the console text is all there is and the view does nothing.
// WindowView_posix.cc and WindowView_win.cc hold the two sides.
#pragma once

#include <memory>
#include <string_view>

namespace quarnel::platform {

class Button;
class Label;
class TextBox;
class Window;

class WindowView {
 public:
  explicit WindowView(Window& window);
  ~WindowView();
  WindowView(const WindowView&) = delete;
  WindowView& operator=(const WindowView&) = delete;

  void CaptionChanged();
  void LabelChanged(const Label& label);
  void ButtonAdded(const Button& button);
  void TextBoxChanged(const TextBox& box);
  void TextBoxAppended(const TextBox& box, std::string_view added);
  // The window appears when its Window is loaded, and goes when it is unloaded.
  void Show();
  void Hide();

 private:
  struct Native;
  std::unique_ptr<Native> native_;
};

}  // namespace quarnel::platform
