#include "platform/window/WindowView.h"

namespace quarnel::platform {

struct WindowView::Native {};

WindowView::WindowView(Window&) {}
WindowView::~WindowView() = default;
void WindowView::CaptionChanged() {}
void WindowView::LabelChanged(const Label&) {}
void WindowView::ButtonAdded(const Button&) {}
void WindowView::TextBoxChanged(const TextBox&) {}
void WindowView::TextBoxAppended(const TextBox&, std::string_view) {}
void WindowView::Show() {}
void WindowView::Hide() {}

}  // namespace quarnel::platform
