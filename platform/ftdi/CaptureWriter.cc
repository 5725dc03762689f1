#include "platform/ftdi/CaptureWriter.h"

#include "platform/base/BackgroundThread.h"

#include <cerrno>
#include <cstring>

namespace quarnel::ftdi {

CaptureWriter::CaptureWriter(const std::string& path, LineClock& clock)
    : file_(std::fopen(path.c_str(), "ab")), clock_(clock), origin_(clock.Now()) {
  if (!file_) {
    error_ = std::strerror(errno);
    return;
  }
  writer_ = platform::StartBackgroundThread([this] { WriterLoop(); });
}

CaptureWriter::~CaptureWriter() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
  }
  wake_.notify_one();
  if (writer_.joinable()) writer_.join();
}

std::string CaptureWriter::Error() const {
  std::lock_guard<std::mutex> lock(mutex_);
  if (dropped_ > 0 && error_.empty()) {
    return std::to_string(dropped_) + " lines dropped while the disk was too slow";
  }
  return error_;
}

std::string CaptureWriter::Stamp(const std::string& serial) const {
  std::string line = std::to_string((clock_.Now() - origin_).count());
  line += ' ';
  line += serial;
  line += ' ';
  return line;
}

void CaptureWriter::Call(const std::string& serial, const char* call,
                         std::initializer_list<int64_t> args) {
  std::string line = Stamp(serial);
  line += call;
  for (int64_t a : args) {
    line += ' ';
    line += std::to_string(a);
  }
  line += '\n';
  Queue(std::move(line));
}

void CaptureWriter::Write(const std::string& serial, std::span<const uint8_t> bytes) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string line = Stamp(serial);
  line.reserve(line.size() + 16 + bytes.size() * 2);
  line += "WRITE ";
  line += std::to_string(bytes.size());
  line += ' ';
  for (uint8_t b : bytes) {
    line += kHex[b >> 4];
    line += kHex[b & 15];
  }
  line += '\n';
  Queue(std::move(line));
}

void CaptureWriter::Queue(std::string line) {
  if (!file_) return;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (queued_bytes_ + line.size() > kMaxQueuedBytes) {
      ++dropped_;
      return;
    }
    queued_bytes_ += line.size();
    queue_.push_back(std::move(line));
  }
  wake_.notify_one();
}

void CaptureWriter::Flush() {
  std::unique_lock<std::mutex> lock(mutex_);
  written_.wait(lock, [this] { return (queue_.empty() && !writing_) || !writer_.joinable(); });
}

void CaptureWriter::WriterLoop() {
  std::unique_lock<std::mutex> lock(mutex_);
  while (true) {
    wake_.wait(lock, [this] { return stop_ || !queue_.empty(); });
    if (queue_.empty()) break;  // stopping, and everything is written
    std::deque<std::string> batch;
    batch.swap(queue_);
    queued_bytes_ = 0;
    writing_ = true;
    lock.unlock();
    // The batch goes out whole lines at a time and is flushed at once, so a reader
    // following the file never waits long for a line.
    std::string failure;
    for (const std::string& line : batch) {
      if (std::fwrite(line.data(), 1, line.size(), file_.get()) != line.size()) {
        failure = std::strerror(errno);
      }
    }
    if (std::fflush(file_.get()) != 0) failure = std::strerror(errno);
    lock.lock();
    writing_ = false;
    if (!failure.empty()) error_ = failure;
    if (queue_.empty()) written_.notify_all();
  }
  written_.notify_all();
}

}  // namespace quarnel::ftdi
