// Feeds the web server's request reader with any bytes, cut into pieces at places the
// input chooses, and checks what a request may do: every channel asked for is 0 to 511,
// reading the same bytes in one piece gives the same channels and state, and the answer
// page always starts with the status line. The command line's port takes the same bytes.
#include "webdiag/Page.h"
#include "webdiag/RequestReader.h"
#include "webdiag/Texts.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

using quarnel::webdiag::Answer;
using quarnel::webdiag::kHighestTestChannel;
using quarnel::webdiag::PortOfCommandLine;
using quarnel::webdiag::RequestReader;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  // The first byte chooses the piece size; the rest is what the peer sends.
  const size_t piece = 1 + data[0] % 64;
  const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);

  RequestReader in_pieces;
  std::vector<int32_t> channels;
  for (size_t at = 0; at < bytes.size(); at += piece) {
    in_pieces.Read(bytes.substr(at, piece), channels);
  }
  RequestReader whole;
  std::vector<int32_t> whole_channels;
  whole.Read(bytes, whole_channels);
  if (whole_channels != channels || whole.CurrentState() != in_pieces.CurrentState()) std::abort();
  in_pieces.End(channels);

  for (int32_t channel : channels) {
    if (channel < 0 || channel > kHighestTestChannel) std::abort();
    if (Answer(bytes.substr(0, 64), channel).rfind("HTTP/1.1 200 OK\r\n\r\n", 0) != 0) std::abort();
  }
  const auto port = PortOfCommandLine(bytes.substr(0, 32));
  if (port.port < 0 || port.port > 65535) std::abort();
  return 0;
}
