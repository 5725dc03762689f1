#include "platform/base/WideText_win.h"
#include "platform/window/Controls.h"
#include "platform/window/Window.h"
#include "platform/window/WindowView.h"

#include <algorithm>
#include <map>
#include <string>

#include <windows.h>

namespace quarnel::platform {
namespace {

constexpr wchar_t kWindowClass[] = L"QuarnelProgramWindow";
constexpr int kMargin = 10;
constexpr int kWidth = 480;
constexpr int kLineHeight = 18;
constexpr int kButtonWidth = 110;
constexpr int kButtonHeight = 26;
constexpr int kTextBoxHeight = 160;
constexpr int kFirstControlId = 100;

int LineCount(const std::string& text) {
  return 1 + static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}

}  // namespace

struct WindowView::Native {
  Window& window;
  HWND handle = nullptr;
  // The next free place, top to bottom, and the next control id.
  int next_top = kMargin;
  int next_id = kFirstControlId;
  std::map<std::string, HWND> labels;
  std::map<std::string, HWND> boxes;
  std::map<int, std::string> buttons;  // by control id

  explicit Native(Window& owner) : window(owner) {}

  HWND AddChild(const wchar_t* window_class, const std::string& text, DWORD style, int height,
                int width = kWidth - 2 * kMargin) {
    HWND child = ::CreateWindowExW(0, window_class, WideFromUtf8(text).c_str(), WS_CHILD | style,
                                   kMargin, next_top, width, height, handle,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(next_id++)),
                                   ::GetModuleHandleW(nullptr), nullptr);
    next_top += height + kMargin / 2;
    // The window grows to hold its controls.
    RECT frame{0, 0, kWidth, next_top + kMargin};
    ::AdjustWindowRect(&frame, WS_OVERLAPPEDWINDOW, FALSE);
    ::SetWindowPos(handle, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    return child;
  }

  static LRESULT CALLBACK WindowProc(HWND handle, UINT message, WPARAM wparam, LPARAM lparam) {
    auto* native = reinterpret_cast<Native*>(::GetWindowLongPtrW(handle, GWLP_USERDATA));
    if (native != nullptr) {
      switch (message) {
        case WM_CLOSE:
          // As the window's close: the Window may refuse, and quits the loop when it unloads.
          native->window.Unload();
          return 0;
        case WM_COMMAND:
          if (HIWORD(wparam) == BN_CLICKED) {
            auto it = native->buttons.find(LOWORD(wparam));
            if (it != native->buttons.end()) {
              // A copy: the handler may remove the window's controls.
              const std::string name = it->second;
              native->window.Press(name);
            }
            return 0;
          }
          break;
        default:
          break;
      }
    }
    return ::DefWindowProcW(handle, message, wparam, lparam);
  }
};

WindowView::WindowView(Window& window) : native_(std::make_unique<Native>(window)) {
  static const ATOM registered = [] {
    WNDCLASSEXW window_class{};
    window_class.cbSize = sizeof window_class;
    window_class.lpfnWndProc = &Native::WindowProc;
    window_class.hInstance = ::GetModuleHandleW(nullptr);
    window_class.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    window_class.lpszClassName = kWindowClass;
    return ::RegisterClassExW(&window_class);
  }();
  (void)registered;
  // Without a display (a service, or Wine's null driver with no screen) there is no
  // window; the console text still tells everything.
  native_->handle = ::CreateWindowExW(0, kWindowClass, L"", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                      CW_USEDEFAULT, kWidth, 2 * kMargin, nullptr, nullptr,
                                      ::GetModuleHandleW(nullptr), nullptr);
  if (native_->handle != nullptr) {
    ::SetWindowLongPtrW(native_->handle, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(native_.get()));
  }
}

WindowView::~WindowView() {
  if (native_->handle != nullptr) {
    ::SetWindowLongPtrW(native_->handle, GWLP_USERDATA, 0);
    ::DestroyWindow(native_->handle);
  }
}

void WindowView::CaptionChanged() {
  if (native_->handle == nullptr) return;
  ::SetWindowTextW(native_->handle, WideFromUtf8(native_->window.Caption()).c_str());
}

void WindowView::LabelChanged(const Label& label) {
  if (native_->handle == nullptr) return;
  HWND& child = native_->labels[label.Name()];
  if (child == nullptr) {
    // Room for the lines the label has when made; later texts wrap within it.
    child = native_->AddChild(L"STATIC", label.Caption(), SS_LEFT,
                              kLineHeight * std::max(1, LineCount(label.Caption())));
  } else {
    ::SetWindowTextW(child, WideFromUtf8(label.Caption()).c_str());
  }
  ::ShowWindow(child, label.Visible() ? SW_SHOWNA : SW_HIDE);
}

void WindowView::ButtonAdded(const Button& button) {
  if (native_->handle == nullptr) return;
  const int id = native_->next_id;
  HWND child =
      native_->AddChild(L"BUTTON", button.Caption(), BS_PUSHBUTTON | WS_VISIBLE | WS_TABSTOP,
                        kButtonHeight, kButtonWidth);
  if (child != nullptr) native_->buttons[id] = button.Name();
}

void WindowView::TextBoxChanged(const TextBox& box) {
  if (native_->handle == nullptr) return;
  HWND& child = native_->boxes[box.Name()];
  if (child == nullptr) {
    child = native_->AddChild(
        L"EDIT", "",
        WS_VISIBLE | WS_BORDER | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL,
        kTextBoxHeight);
  }
  ::SetWindowTextW(child, WideFromUtf8(box.Text()).c_str());
}

// Adds at the end, without setting the whole text again: a log that grows line by line
// stays linear.
void WindowView::TextBoxAppended(const TextBox& box, std::string_view added) {
  if (native_->handle == nullptr) return;
  auto it = native_->boxes.find(box.Name());
  if (it == native_->boxes.end()) return TextBoxChanged(box);
  const LRESULT end = ::GetWindowTextLengthW(it->second);
  ::SendMessageW(it->second, EM_SETSEL, end, end);
  ::SendMessageW(it->second, EM_REPLACESEL, FALSE,
                 reinterpret_cast<LPARAM>(WideFromUtf8(added).c_str()));
}

void WindowView::Show() {
  if (native_->handle != nullptr) ::ShowWindow(native_->handle, SW_SHOWNORMAL);
}

void WindowView::Hide() {
  if (native_->handle != nullptr) ::ShowWindow(native_->handle, SW_HIDE);
}

}  // namespace quarnel::platform
