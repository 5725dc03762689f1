#include "platform/recordset/Fields.h"

#include "platform/recordset/Recordset.h"
#include "platform/recordset/RecordsetErrors.h"

#include <utility>

namespace quarnel {

void Fields::Append(std::string name, DataTypeEnum type, int64_t defined_size, int32_t attributes) {
  if (owner_->State() == ObjectStateEnum::adStateOpen) {
    throw recordset_errors::IllegalOperation("Fields.Append",
                                             "fields cannot be appended to an open recordset");
  }
  if (owner_->Table().FindField(name) >= 0) {
    throw recordset_errors::ObjectInCollection("Fields.Append", "field \"" + name + "\"");
  }
  owner_->AppendField(
      MakeFieldDef(std::move(name), type, defined_size, attributes, "Fields.Append"));
}

Field& Fields::Item(int32_t index) const {
  if (index < 0 || index >= Count()) {
    throw recordset_errors::ItemNotFound("Fields.Item", "field " + std::to_string(index));
  }
  return *fields_[static_cast<size_t>(index)];
}

Field& Fields::Item(std::string_view name) const {
  Field* f = Find(name);
  if (!f)
    throw recordset_errors::ItemNotFound("Fields.Item", "field \"" + std::string(name) + "\"");
  return *f;
}

Field* Fields::Find(std::string_view name) const {
  const ptrdiff_t i = owner_->Table().FindField(name);
  return i < 0 ? nullptr : fields_[static_cast<size_t>(i)].get();
}

void Fields::Rebuild(size_t count, bool fresh) {
  if (fresh || count < fields_.size()) fields_.clear();
  fields_.reserve(count);
  while (fields_.size() < count)
    fields_.push_back(std::make_unique<Field>(*owner_, fields_.size()));
}

}  // namespace quarnel
