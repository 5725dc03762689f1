#include "platform/recordset/FieldDef.h"

#include "platform/recordset/RecordsetErrors.h"

#include <utility>

namespace quarnel {

FieldDef MakeFieldDef(std::string name, DataTypeEnum type, int64_t defined_size, int32_t attributes,
                      const char* source) {
  const TypeInfo* info = FindType(type);
  if (!info) {
    throw recordset_errors::InvalidArgument(
        source, "field type " + std::to_string(static_cast<int32_t>(type)) + " is not supported");
  }
  if (name.empty()) throw recordset_errors::InvalidArgument(source, "a field needs a name");
  FieldDef def;
  def.name = std::move(name);
  def.type = type;
  if (info->storage == StorageKind::kVariable) {
    if (defined_size < 0 || defined_size > 0xFFFFFFFFll) {
      throw recordset_errors::InvalidArgument(
          source, "defined size " + std::to_string(defined_size) + " of field " + def.name);
    }
    if (info->wide && defined_size != 0xFFFFFFFFll && defined_size > 0x7FFFFFFFll) {
      throw recordset_errors::InvalidArgument(
          source, "defined size " + std::to_string(defined_size) + " of field " + def.name);
    }
    def.defined_size = static_cast<uint32_t>(defined_size);
  } else {
    def.defined_size = info->fixed_size;
  }
  def.flags = static_cast<uint32_t>(info->flags);
  if (attributes != adFldUnspecified) def.flags |= static_cast<uint32_t>(attributes);
  return def;
}

}  // namespace quarnel
