// JSON documents handed to "dlstool create": whatever they hold, building a document
// from one either succeeds or ends with an error that names what is wrong, and a built
// document prints back without a crash.
#include "platform/base/Error.h"
#include "tools/dlstool/DlsCreate.h"
#include "tools/dlstool/DlsJson.h"

#include <cstdint>
#include <sstream>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const nlohmann::json sequence =
      nlohmann::json::parse(data, data + size, nullptr, /*allow_exceptions=*/false);
  if (sequence.is_discarded()) return 0;
  try {
    quarnel::Ref<quarnel::dataapi::File> doc = quarnel::dlstool::DocumentFromJson(sequence);
    std::ostringstream out;
    quarnel::dlstool::WriteSequenceJson(out, {doc, {}, {}, {}});
  } catch (const quarnel::dlstool::CreateError&) {
  } catch (const quarnel::Error&) {
  }
  return 0;
}
