#include "platform/recordset/Field.h"

#include "platform/base/CodePage.h"
#include "platform/recordset/Recordset.h"
#include "platform/recordset/RecordsetErrors.h"

#include <limits>

namespace quarnel {

const FieldDef& Field::def() const { return owner_->Table().Field(index_); }

int32_t Field::DefinedSize() const {
  const uint32_t size = def().defined_size;
  return size > static_cast<uint32_t>(std::numeric_limits<int32_t>::max())
             ? std::numeric_limits<int32_t>::max()
             : static_cast<int32_t>(size);
}

quarnel::Value Field::Value() const {
  const size_t row = owner_->CurrentRow("Field.Value");
  return owner_->Table().Get(row, index_);
}

void Field::SetValue(const quarnel::Value& value) { owner_->SetCell(index_, value, "Field.Value"); }

int32_t Field::Int32() const {
  const size_t row = owner_->CurrentRow("Field.Value");
  const RecordColumn& c = owner_->Table().Column(index_);
  if (c.kind() == StorageKind::kInt32) {
    switch (c.State(row)) {
      case CellState::kValue:
        return c.Int32(row);
      case CellState::kEmpty:
        return 0;
      case CellState::kNull:
        throw recordset_errors::InvalidUseOfNull("Field.Value");
    }
  }
  return owner_->Table().Get(row, index_).ToInt32("Field.Value");
}

void Field::SetInt32(int32_t v) { owner_->SetCellInt32(index_, v, "Field.Value"); }

std::string Field::Text() const {
  const quarnel::Value v = Value();
  if (v.kind() != quarnel::Value::Kind::kBytes) return v.ToBytes("Field.Value");
  if (def().info().wide) return Utf16LeBytesToUtf8(v.bytes());
  if (!def().info().text) return v.bytes();  // binary: the bytes themselves
  return owner_->CodePage().ToUtf8(v.bytes());
}

void Field::SetText(std::string_view utf8) {
  const TypeInfo& info = def().info();
  std::string bytes;
  if (info.wide) {
    bytes = Utf8ToUtf16LeBytes(utf8, "Field.Value");
  } else if (info.text) {
    bytes = owner_->CodePage().FromUtf8(utf8, "Field.Value");
  } else {
    bytes = std::string(utf8);
  }
  SetValue(quarnel::Value::Bytes(std::move(bytes)));
}

quarnel::Value Field::Properties(std::string_view name) const {
  if (FoldCase(name) != "optimize") {
    throw recordset_errors::ItemNotFound("Field.Properties",
                                         "property \"" + std::string(name) + "\"");
  }
  return quarnel::Value(int64_t{optimize_ ? -1 : 0});
}

void Field::SetProperties(std::string_view name, const quarnel::Value& value) {
  if (FoldCase(name) != "optimize") {
    throw recordset_errors::ItemNotFound("Field.Properties",
                                         "property \"" + std::string(name) + "\"");
  }
  // Every field can be searched and sorted quickly already; the hint is only kept.
  optimize_ = value.ToInt32("Field.Properties") != 0;
}

}  // namespace quarnel
