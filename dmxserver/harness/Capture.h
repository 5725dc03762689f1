// Reading the simulated interface's capture file back, for the end-to-end tests and the
// benchmark: the calls, and the DMX frames they make on the wire.
//
// A frame on the wire is BREAK_ON, BREAK_OFF, "WRITE 1 00" and "WRITE 512 <slots>" of one
// device, or BREAK_ON, BREAK_OFF and one 513-byte write that starts with the start code
// 00 (as other programs write it); its time is that of its BREAK_ON.
#pragma once

#include <array>
#include <cstdint>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

namespace quarnel::dmx::harness {

struct CaptureCall {
  int64_t ns = 0;
  std::string serial;
  std::string call;              // OPEN, RESET, ..., WRITE, CLOSE
  std::vector<int64_t> numbers;  // the arguments; for WRITE the byte count
  std::vector<uint8_t> bytes;    // WRITE only

  std::string Text() const;  // "<serial> <CALL> <args>", as in the file (bytes in hex)
};

// One line; nullopt when it is not a well-formed capture line.
std::optional<CaptureCall> ParseCaptureLine(const std::string& line);

struct WireFrame {
  int64_t break_ns = 0;
  int64_t break_off_ns = 0;
  int64_t start_code_ns = 0;  // the write that begins with the start code
  int64_t first_slot_ns = 0;  // the write that holds slot 1

  // The break, and the mark between it and the start code, as the calls' times show.
  int64_t BreakNs() const { return break_off_ns - break_ns; }
  int64_t MarkAfterBreakNs() const { return start_code_ns - break_off_ns; }
  std::string serial;
  std::array<uint8_t, 512> slots{};
};

// The frames in `calls`. Calls that do not make a well-formed frame (set-up, a frame cut
// short) are skipped; `malformed` counts frames whose calls came in a wrong order.
std::vector<WireFrame> FramesOf(const std::vector<CaptureCall>& calls, int* malformed = nullptr);

// Follows a capture file that another process appends to: each Poll returns the complete
// lines added since the last one.
class CaptureFollower {
 public:
  explicit CaptureFollower(std::string path) : path_(std::move(path)) {}
  std::vector<CaptureCall> Poll();
  // Every call read so far.
  const std::vector<CaptureCall>& All() const { return all_; }
  int BadLines() const { return bad_lines_; }

 private:
  std::string path_;
  std::ifstream in_;
  std::streamoff offset_ = 0;  // bytes read so far
  std::string partial_;
  std::vector<CaptureCall> all_;
  int bad_lines_ = 0;
};

}  // namespace quarnel::dmx::harness
