#include "converter/ProgressView.h"

#include <algorithm>
#include <cmath>
#include <ostream>

namespace quarnel::converter {

namespace {

constexpr auto kRedrawEvery = std::chrono::milliseconds(100);
constexpr auto kPlainRepeatEvery = std::chrono::seconds(1);
constexpr int kBarCharacters = 20;

}  // namespace

ProgressView::ProgressView(std::ostream& out, bool terminal, int columns, Clock clock)
    : out_(out),
      terminal_(terminal),
      columns_(std::max(columns, 20)),
      clock_(clock ? std::move(clock) : Clock([] { return std::chrono::steady_clock::now(); })) {}

int32_t ProgressView::BarWidth() const {
  return percent_ < 0 ? 0 : static_cast<int32_t>(percent_ / 100.0 * kBarFullWidth);
}

// The first two words: statuses that share them are the same kind of work.
std::string ProgressView::Kind(const std::string& text) {
  size_t space = text.find(' ');
  if (space != std::string::npos) space = text.find(' ', space + 1);
  return text.substr(0, space);
}

void ProgressView::UpdateStatus(const std::string& text, double percent) {
  bool changed = false;
  if (text != "NULL" && text != status_) {
    status_ = text;
    changed = true;
  }
  if (percent > -1) {
    const auto p = static_cast<int32_t>(std::floor(percent));
    if (p != percent_) {
      percent_ = p;
      changed = true;
    }
  }
  if (!changed) return;
  const auto now = clock_();
  if (terminal_) {
    dirty_ = true;
    if (!drawn_ || Kind(status_) != drawn_kind_ || percent_ >= 100 ||
        now - drawn_at_ >= kRedrawEvery) {
      drawn_at_ = now;
      Draw();
    }
    return;
  }
  if (status_ == printed_) return;
  if (!printed_.empty() && Kind(status_) == Kind(printed_) &&
      now - printed_at_ < kPlainRepeatEvery) {
    return;
  }
  printed_ = status_;
  printed_at_ = now;
  out_ << status_ << '\n' << std::flush;
}

void ProgressView::Draw() {
  const int percent = std::clamp(percent_, 0, 100);
  const int filled = percent * kBarCharacters / 100;
  std::string tail = "  " + std::to_string(percent) + " % [" + std::string(filled, '#') +
                     std::string(kBarCharacters - filled, ' ') + "]";
  if (percent_ < 0) tail.clear();
  std::string text = status_;
  // One line: the status is cut so that the line never wraps.
  const size_t room =
      static_cast<size_t>(columns_ - 1) - std::min(tail.size(), size_t(columns_ - 1));
  if (text.size() > room) {
    size_t cut = room > 3 ? room - 3 : 0;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
    text = text.substr(0, cut) + "...";
  }
  out_ << '\r' << text << tail << "\x1b[K" << std::flush;
  drawn_ = true;
  dirty_ = false;
  drawn_kind_ = Kind(status_);
}

void ProgressView::Clear() {
  if (terminal_ && drawn_) out_ << "\r\x1b[K";
}

void ProgressView::Message(const std::string& line) {
  Clear();
  out_ << line << '\n';
  if (terminal_ && drawn_) {
    Draw();
  } else {
    out_ << std::flush;
  }
}

void ProgressView::Finish() {
  if (!terminal_ || (!drawn_ && !dirty_)) return;
  if (dirty_) Draw();
  out_ << '\n' << std::flush;
  drawn_ = false;
}

}  // namespace quarnel::converter
