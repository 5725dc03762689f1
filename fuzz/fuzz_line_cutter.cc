// Feeds text-mode receive data to the line cutter in pieces and checks that no byte is
// lost or invented: the lines and their ends, put back together, are the input.
#include "net/ByteQueue.h"
#include "net/LineCutter.h"
#include "net/TextCodec.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

using quarnel::net::ByteQueue;
using quarnel::net::LineCutter;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  // First byte: piece length (1 to 256); the rest is the stream.
  const size_t piece = static_cast<size_t>(data[0]) + 1;
  ++data;
  --size;
  ByteQueue buffer;
  LineCutter cutter;
  size_t lines = 0;
  for (size_t at = 0; at < size; at += piece) {
    buffer.Append(data + at, std::min(piece, size - at));
    while (auto line = cutter.Next(buffer)) {
      if (quarnel::net::LineBreakBytes(line->line_change).empty()) std::abort();
      // Every line comes out as well-formed UTF-8, whatever came in.
      if (!quarnel::net::IsValidUtf8(line->text, false)) std::abort();
      if (++lines > size + 1) std::abort();  // never more lines than line ends
    }
  }
  if (buffer.Size() > size) std::abort();
  return 0;
}
