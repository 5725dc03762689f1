#include "dataapi/com/DataTableObject.h"

#include <vector>

namespace quarnel::dataapi::com {

STDMETHODIMP DataTableObject::SetupTable(SAFEARRAY** widths, SAFEARRAY** types, LONG* page_size) {
  if (!widths || !types) return E_POINTER;
  return Call("DataTable.SetupTable", [&] {
    std::vector<int32_t> width_values = LongsOf(*widths);
    std::vector<TableDataType> type_values;
    for (int32_t type : LongsOf(*types)) type_values.push_back(static_cast<TableDataType>(type));
    model_->SetupTable(width_values, type_values, page_size ? *page_size : 0);
  });
}

}  // namespace quarnel::dataapi::com
