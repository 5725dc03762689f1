#include "webdiag/RequestReader.h"

#include <algorithm>
#include <cctype>

namespace quarnel::webdiag {

int32_t ChannelOfPath(std::string_view path) {
  if (path.empty() || path.front() != '/') return 0;
  std::string_view rest = path.substr(1);
  bool negative = false;
  if (!rest.empty() && (rest.front() == '+' || rest.front() == '-')) {
    negative = rest.front() == '-';
    rest.remove_prefix(1);
  }
  if (rest.empty()) return 0;
  int64_t value = 0;
  for (char c : rest) {
    if (c < '0' || c > '9') return 0;
    // Anything past the highest channel selects none, however many digits follow.
    value = std::min<int64_t>(value * 10 + (c - '0'), kHighestTestChannel + 1);
  }
  if (negative || value < 1 || value > kHighestTestChannel) return 0;
  return static_cast<int32_t>(value);
}

std::optional<int32_t> ChannelOfRequestLine(std::string_view line) {
  if (line.size() < 4) return std::nullopt;
  static constexpr std::string_view kGet = "GET ";
  for (size_t i = 0; i < kGet.size(); ++i) {
    if (std::toupper(static_cast<unsigned char>(line[i])) != kGet[i]) return std::nullopt;
  }
  std::string_view rest = line.substr(kGet.size());
  const std::string_view path = rest.substr(0, rest.find(' '));
  if (path.empty() || path.front() != '/') return std::nullopt;
  return ChannelOfPath(path);
}

namespace {

// A GET line with nothing after its path is a simple request: it has no header.
bool IsSimpleRequest(std::string_view line) {
  const size_t space = line.find(' ', 4);
  return space == std::string_view::npos ||
         line.find_first_not_of(' ', space) == std::string_view::npos;
}

}  // namespace

RequestReader::State RequestReader::Read(std::string_view bytes, std::vector<int32_t>& channels) {
  for (char c : bytes) {
    if (state_ != State::kReading) break;
    if (++total_ > kMaxRequest) {
      state_ = State::kRefused;
      break;
    }
    if (c == '\r') continue;
    if (c == '\n') {
      TakeLine(channels);
      continue;
    }
    if (line_.size() >= kMaxLine) {
      state_ = State::kRefused;
      break;
    }
    line_.push_back(c);
  }
  return state_;
}

RequestReader::State RequestReader::End(std::vector<int32_t>& channels) {
  if (state_ != State::kReading) return state_;
  if (!line_.empty()) TakeLine(channels);
  state_ = State::kComplete;
  return state_;
}

void RequestReader::TakeLine(std::vector<int32_t>& channels) {
  const std::string line = std::move(line_);
  line_.clear();
  if (line.empty()) {
    // Empty lines before a request are tolerated; after one they end its header.
    if (started_) state_ = State::kComplete;
    return;
  }
  started_ = true;
  if (std::optional<int32_t> channel = ChannelOfRequestLine(line)) {
    channels.push_back(*channel);
    if (IsSimpleRequest(line)) state_ = State::kComplete;
  }
}

}  // namespace quarnel::webdiag
