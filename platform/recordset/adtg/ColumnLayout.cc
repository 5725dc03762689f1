#include "platform/recordset/adtg/ColumnLayout.h"

#include "platform/recordset/adtg/AdtgFormat.h"

namespace quarnel::adtg {

ColumnLayout LayoutOf(const FieldDef& def) {
  const TypeInfo& info = def.info();
  ColumnLayout layout{};
  layout.nullable = (def.flags & kFlagNullableMask) != 0;
  layout.wide = info.wide;
  switch (info.storage) {
    case StorageKind::kInt32:
      layout.encoding = ColumnLayout::Encoding::kInt32;
      layout.width = 4;
      return layout;
    case StorageKind::kFixed:
      layout.encoding = ColumnLayout::Encoding::kFixed;
      layout.width = info.fixed_size;
      return layout;
    case StorageKind::kVariable:
      break;
  }
  layout.width = def.MaxBytes();
  if (layout.width > kShortWidthLimit) {
    layout.encoding = ColumnLayout::Encoding::kLength32;
  } else if (def.flags & kFlagFixed) {
    layout.encoding = ColumnLayout::Encoding::kExact;
  } else {
    layout.encoding = ColumnLayout::Encoding::kLength8;
  }
  return layout;
}

}  // namespace quarnel::adtg
