#include "dmxserver/harness/Capture.h"

#include <charconv>
#include <sstream>

namespace quarnel::dmx::harness {

namespace {

bool ToNumber(const std::string& text, int64_t& value) {
  const char* end = text.data() + text.size();
  auto [ptr, ec] = std::from_chars(text.data(), end, value);
  return !text.empty() && ec == std::errc() && ptr == end;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

std::string CaptureCall::Text() const {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string t = serial + " " + call;
  for (int64_t n : numbers) t += " " + std::to_string(n);
  if (call == "WRITE") {
    t += ' ';
    for (uint8_t b : bytes) {
      t += kHex[b >> 4];
      t += kHex[b & 15];
    }
  }
  return t;
}

std::optional<CaptureCall> ParseCaptureLine(const std::string& line) {
  std::vector<std::string> words;
  size_t at = 0;
  while (at <= line.size()) {
    const size_t space = line.find(' ', at);
    words.push_back(line.substr(at, space == std::string::npos ? std::string::npos : space - at));
    if (space == std::string::npos) break;
    at = space + 1;
  }
  if (words.size() < 3) return std::nullopt;
  CaptureCall c;
  if (!ToNumber(words[0], c.ns) || words[1].empty() || words[2].empty()) return std::nullopt;
  c.serial = words[1];
  c.call = words[2];
  if (c.call == "WRITE") {
    int64_t count = 0;
    if (words.size() != 5 || !ToNumber(words[3], count) || count < 0 ||
        words[4].size() != static_cast<size_t>(count) * 2) {
      return std::nullopt;
    }
    c.numbers.push_back(count);
    c.bytes.reserve(static_cast<size_t>(count));
    for (size_t i = 0; i < words[4].size(); i += 2) {
      const int hi = HexDigit(words[4][i]), lo = HexDigit(words[4][i + 1]);
      if (hi < 0 || lo < 0) return std::nullopt;
      c.bytes.push_back(static_cast<uint8_t>(hi * 16 + lo));
    }
    return c;
  }
  for (size_t i = 3; i < words.size(); ++i) {
    int64_t n = 0;
    if (!ToNumber(words[i], n)) return std::nullopt;
    c.numbers.push_back(n);
  }
  return c;
}

std::vector<WireFrame> FramesOf(const std::vector<CaptureCall>& calls, int* malformed) {
  std::vector<WireFrame> frames;
  int bad = 0;
  // Expect BREAK_ON, BREAK_OFF, WRITE 1 00, WRITE 512 (or BREAK_ON, BREAK_OFF, WRITE 513
  // starting with 00), per serial number in turn.
  int stage = 0;
  WireFrame current;
  for (const CaptureCall& c : calls) {
    const bool write = c.call == "WRITE";
    if (c.call == "BREAK_ON") {
      if (stage != 0) ++bad;
      current = WireFrame{};
      current.break_ns = c.ns;
      current.serial = c.serial;
      stage = 1;
    } else if (stage == 1 && c.call == "BREAK_OFF" && c.serial == current.serial) {
      current.break_off_ns = c.ns;
      stage = 2;
    } else if (stage == 2 && write && c.bytes.size() == 1 && c.bytes[0] == 0) {
      current.start_code_ns = c.ns;
      stage = 3;
    } else if (stage == 2 && write && c.bytes.size() == 513 && c.bytes[0] == 0) {
      current.start_code_ns = current.first_slot_ns = c.ns;
      std::copy(c.bytes.begin() + 1, c.bytes.end(), current.slots.begin());
      frames.push_back(current);
      stage = 0;
    } else if (stage == 3 && write && c.bytes.size() == 512) {
      current.first_slot_ns = c.ns;
      std::copy(c.bytes.begin(), c.bytes.end(), current.slots.begin());
      frames.push_back(current);
      stage = 0;
    } else if (stage != 0 || write || c.call == "BREAK_OFF") {
      ++bad;
      stage = 0;
    }
  }
  if (malformed != nullptr) *malformed = bad;
  return frames;
}

std::vector<CaptureCall> CaptureFollower::Poll() {
  std::vector<CaptureCall> fresh;
  if (!in_.is_open()) {
    in_.open(path_, std::ios::binary);
    if (!in_.is_open()) return fresh;
  }
  // Back to where the last read ended: once a read has met the end of the file, the
  // Windows C library reads nothing more from it until the position is set again.
  in_.clear();
  in_.seekg(offset_);
  char buffer[65536];
  while (true) {
    in_.read(buffer, sizeof buffer);
    const std::streamsize got = in_.gcount();
    if (got <= 0) break;
    partial_.append(buffer, static_cast<size_t>(got));
    offset_ += got;
  }
  in_.clear();
  size_t start = 0;
  for (size_t nl = partial_.find('\n'); nl != std::string::npos; nl = partial_.find('\n', start)) {
    std::optional<CaptureCall> c = ParseCaptureLine(partial_.substr(start, nl - start));
    if (c) {
      fresh.push_back(*c);
    } else {
      ++bad_lines_;
    }
    start = nl + 1;
  }
  partial_.erase(0, start);
  all_.insert(all_.end(), fresh.begin(), fresh.end());
  return fresh;
}

}  // namespace quarnel::dmx::harness
