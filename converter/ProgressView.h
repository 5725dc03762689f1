// The window's status label, percentage and progress bar, on a console.
//
// On a terminal they share one line, redrawn in place at most ten times a second (and
// whenever the kind of work changes); other lines (warnings) are written above it. On a
// file or pipe each new status is one plain line, and a run of statuses of one kind
// ("Creating Channel ...") gives at most one line a second, so a log never floods.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <string>

namespace quarnel::converter {

class ProgressView {
 public:
  using Clock = std::function<std::chrono::steady_clock::time_point()>;
  static constexpr int32_t kBarFullWidth = 10695;  // the bar's width at 100 %

  ProgressView(std::ostream& out, bool terminal, int columns, Clock clock = {});

  // UpdateStatus: text "NULL" keeps the status; percent -1 keeps the percentage.
  void UpdateStatus(const std::string& text, double percent);
  // A whole line of its own, above the status line.
  void Message(const std::string& line);
  // Ends the status line, showing its last state.
  void Finish();

  const std::string& Status() const { return status_; }
  // The percentage shown, -1 before the first.
  int32_t Percent() const { return percent_; }
  // The bar's width, Int(p / 100 * 10695).
  int32_t BarWidth() const;

 private:
  void Draw();
  void Clear();
  static std::string Kind(const std::string& text);

  std::ostream& out_;
  bool terminal_;
  int columns_;
  Clock clock_;
  std::string status_;
  int32_t percent_ = -1;
  // Terminal: whether the line shows something and what, and when it was drawn.
  bool drawn_ = false;
  bool dirty_ = false;
  std::string drawn_kind_;
  std::chrono::steady_clock::time_point drawn_at_{};
  // Plain: the last line written and when.
  std::string printed_;
  std::chrono::steady_clock::time_point printed_at_{};
};

}  // namespace quarnel::converter
