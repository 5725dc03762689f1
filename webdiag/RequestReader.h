// Reading what one HTTP connection sends, as requests for the diagnostics page: every
// line that starts with "GET " (in any case) asks for the channel its path names.
//
// Bytes are read as they arrive, in pieces of any size. Lines end at LF and every CR is
// dropped. A channel is reported as soon as the line that asks for it is complete. The
// request is complete at the empty line that ends its header, or at once when its request
// line carries no protocol version (an old simple request, which has no header); what
// follows a complete request is not read. A request that grows past the limits without
// completing is refused. Pure: no sockets, no clock.
#pragma once

#include "dmxserver/DatagramFormat.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quarnel::webdiag {

// The highest channel a test may light; anything above selects none (0).
using dmx::kHighestTestChannel;

// The channel a path that starts with "/" names: the rest after "/" as a whole number
// (decimal digits with an optional sign) from 1 to 511; "/" alone and anything else give 0.
int32_t ChannelOfPath(std::string_view path);

// The channel a request line asks for: nullopt when the line is not "GET " (any case)
// followed by a path that starts with "/" (the path ends at the next space).
std::optional<int32_t> ChannelOfRequestLine(std::string_view line);

class RequestReader {
 public:
  // Longest line, and most bytes in all, read before a request is refused.
  static constexpr size_t kMaxLine = 8 * 1024;
  static constexpr size_t kMaxRequest = 64 * 1024;

  enum class State { kReading, kComplete, kRefused };

  // Reads the next bytes; appends the channels asked for by the lines they complete.
  State Read(std::string_view bytes, std::vector<int32_t>& channels);
  // The peer has stopped sending: an unfinished last line counts as a line, and the
  // request is complete (unless it was refused).
  State End(std::vector<int32_t>& channels);

  State CurrentState() const { return state_; }

 private:
  void TakeLine(std::vector<int32_t>& channels);

  std::string line_;  // the unfinished line, without CRs
  size_t total_ = 0;
  bool started_ = false;  // a non-empty line has come
  State state_ = State::kReading;
};

}  // namespace quarnel::webdiag
