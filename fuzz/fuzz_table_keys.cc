// Composite keys from outside (search values, keys stored by clients): reading a key in
// place from a table cell must agree with CompareKeys on the texts, errors included,
// and seeks over any stored keys must stay inside the table.
#include "dataapi/DataTable.h"
#include "dataapi/Keys.h"
#include "platform/base/Error.h"

#include <cstdint>
#include <cstdlib>
#include <string>

using namespace quarnel;
using namespace quarnel::dataapi;

namespace {

// Bytes become key characters from a small alphabet, so most inputs look like keys.
std::u16string KeyText(const uint8_t* data, size_t size) {
  static constexpr char16_t kAlphabet[16] = {u'0', u'1', u'2', u'9', u',', u'-', u' ', u'.',
                                             u'+', u'x', u'5', u'7', u'3', u'8', u'4', u'6'};
  std::u16string text;
  for (size_t i = 0; i < size; ++i) text.push_back(kAlphabet[data[i] & 15]);
  return text;
}

template <class F>
int32_t Outcome(F&& f) {
  try {
    return static_cast<int32_t>(f());
  } catch (const Error& e) {
    return 100 + e.Number();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  size_t split = std::min<size_t>(data[0] % 48, size - 1);
  std::u16string stored = KeyText(data + 1, split);
  std::u16string value = KeyText(data + 1 + split, size - 1 - split);

  Ref<DataTable> table = DataTable::Create();
  const int32_t widths[] = {48, 4};
  const TableDataType types[] = {dataUnicodeString, dataLong};
  table->SetupTable(widths, types, 256);
  table->InsertRows(0, 3);
  table->SetStringData(0, 0, stored);
  table->SetStringData(0, 1, value);
  table->SetStringData(0, 2, stored + u"," + value);
  std::u16string trimmed = table->StringData(0, 0);
  int32_t in_place = Outcome([&] { return table->CompareCellKey(0, 0, value); });
  int32_t on_texts = Outcome([&] { return CompareKeys(trimmed, value); });
  if (in_place != on_texts) std::abort();

  for (FindType f : {FindLeftOrEqual, FindRightAfter, FindFirstExact, FindLastExact}) {
    int32_t row = Outcome([&] { return static_cast<LargerString>(table->IndexSeek(0, value, f)); });
    if (row < 100 && (row < -1 || row > table->GetBounds())) std::abort();
  }
  Outcome([&] { return static_cast<LargerString>(table->FindInsertKey(0, value, size & 1)); });
  return 0;
}
