// The COM class DataTable (interface _DataTable) over a library DataTable.
#pragma once

#include "dataapi/DataTable.h"
#include "dataapi/com/ComObject.h"
#include "dataapi/com/Members.h"
#include "dataapi/com/QuarnelDataAPI3.h"

namespace quarnel::dataapi::com {

class DataTableObject final : public ComObject<DataTableObject, _DataTable, DataTable> {
 public:
  explicit DataTableObject(Ref<DataTable> model) : ComObject(std::move(model), nullptr) {}

  STDMETHODIMP Clear() override {
    return Call("DataTable.Clear", [&] { model_->Clear(); });
  }
  STDMETHODIMP get_ColumnType(LONG column, ::TableDataType* result) override {
    return Out("DataTable.ColumnType", result,
               [&] { return static_cast<::TableDataType>(model_->ColumnType(column)); });
  }
  STDMETHODIMP get_LastColumnNumber(LONG* result) override {
    return Out("DataTable.LastColumnNumber", result, [&] { return model_->LastColumnNumber(); });
  }
  STDMETHODIMP SetupTable(SAFEARRAY** widths, SAFEARRAY** types, LONG* page_size) override;
  STDMETHODIMP get_LongData(LONG column, LONG row, LONG* result) override {
    return Out("DataTable.LongData", result, [&] { return model_->LongData(column, row); });
  }
  STDMETHODIMP put_LongData(LONG column, LONG row, LONG value) override {
    return Call("DataTable.LongData", [&] { model_->SetLongData(column, row, value); });
  }
  STDMETHODIMP get_StringData(LONG column, LONG row, BSTR* result) override {
    return OutText("DataTable.StringData", result, [&] { return model_->StringData(column, row); });
  }
  STDMETHODIMP put_StringData(LONG column, LONG row, BSTR value) override {
    return Call("DataTable.StringData", [&] { model_->SetStringData(column, row, TextOf(value)); });
  }
  STDMETHODIMP InsertRows(LONG row, LONG* count, LONG* result) override {
    if (!count) return E_POINTER;
    return Out("DataTable.InsertRows", result, [&] { return model_->InsertRows(row, *count); });
  }
  STDMETHODIMP DeleteRows(LONG row, LONG* count) override {
    if (!count) return E_POINTER;
    return Call("DataTable.DeleteRows", [&] { model_->DeleteRows(row, *count); });
  }
  STDMETHODIMP MemoryUsed(LONG* result) override {
    return Out("DataTable.MemoryUsed", result, [&] { return model_->MemoryUsed(); });
  }
  QUARNEL_COM_COLLECTION_COMMON(DataTable, DataTableObject)
  STDMETHODIMP FindInsertKey(LONG key_column, BSTR key_value, VARIANT_BOOL allow_duplicates,
                             LONG* result) override {
    return Out("DataTable.FindInsertKey", result, [&] {
      return model_->FindInsertKey(key_column, TextOf(key_value),
                                   allow_duplicates != VARIANT_FALSE);
    });
  }
  STDMETHODIMP IndexSeek(LONG key_column, BSTR value, ::FindType find_type, LONG* result) override {
    return Out("DataTable.IndexSeek", result, [&] {
      return model_->IndexSeek(key_column, TextOf(value), static_cast<FindType>(find_type));
    });
  }
};

}  // namespace quarnel::dataapi::com
