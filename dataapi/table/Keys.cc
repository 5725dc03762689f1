#include "dataapi/Keys.h"

#include "dataapi/table/KeyText.h"
#include "platform/base/Error.h"

namespace quarnel::dataapi {

std::u16string MakeNDCKey(int32_t network, int32_t device, int32_t channel) {
  return std::u16string(KeyBuffer(network, device, channel).View());
}

std::u16string MakeNDCSKey(int32_t network, int32_t device, int32_t channel,
                           int32_t sample_number) {
  return std::u16string(KeyBuffer(network, device, channel, sample_number).View());
}

LargerString CompareKeys(std::u16string_view key1, std::u16string_view key2) {
  static constexpr const char* kSource = "DataTable.CompareKeys";
  ParsedKey parsed2(key2);
  if (key1.empty()) return KeysAreIdentical;
  size_t part = 0, start = 0;
  while (true) {
    size_t comma = key1.find(u',', start);
    size_t length = comma == std::u16string_view::npos ? std::u16string_view::npos : comma - start;
    int32_t a = 0;
    int32_t error = ConvertKeyPart(key1.substr(start, length), a);
    if (error == Error::kOverflow) throw Error::Overflow(kSource);
    if (error != 0) throw Error::TypeMismatch(kSource);
    int32_t b = parsed2.Part(part, kSource);
    if (a > b) return FirstKeyGreaterThan;
    if (b > a) return FirstKeyLessThan;
    if (comma == std::u16string_view::npos) return KeysAreIdentical;
    start = comma + 1;
    ++part;
  }
}

}  // namespace quarnel::dataapi
