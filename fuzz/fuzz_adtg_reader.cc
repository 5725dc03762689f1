// Fuzz target for the TableGram reader: any input is either read or refused with an
// AdtgFormatError. What is read must write out and read back to the same bytes.
#include "platform/base/Error.h"
#include "platform/recordset/adtg/AdtgReader.h"
#include "platform/recordset/adtg/AdtgWriter.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace quarnel;
  adtg::AdtgImage image;
  try {
    image = adtg::ReadAdtg(std::string_view(reinterpret_cast<const char*>(data), size));
  } catch (const adtg::AdtgFormatError&) {
    return 0;
  }
  std::string once;
  try {
    once = adtg::WriteAdtg(image.table, SavedRows::kAsHeld);
  } catch (const Error&) {
    return 0;  // a table the format cannot hold again (a name too long to write back)
  }
  const adtg::AdtgImage back = adtg::ReadAdtg(once);
  if (adtg::WriteAdtg(back.table, SavedRows::kAsHeld) != once) __builtin_trap();
  return 0;
}
