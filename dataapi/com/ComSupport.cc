#include "dataapi/com/ComSupport.h"

#include <oaidl.h>

namespace quarnel::dataapi::com {

namespace {
constexpr uint32_t kNumberedErrorBase = 0x800A0000u;
}

HRESULT HresultFromNumber(int32_t number) {
  if (number < 0) return static_cast<HRESULT>(number);  // already an HRESULT
  if (number > 0 && number <= 0xFFFF) return static_cast<HRESULT>(kNumberedErrorBase | number);
  return E_FAIL;
}

int32_t NumberFromHresult(HRESULT hr) {
  const auto code = static_cast<uint32_t>(hr);
  if ((code & 0xFFFF0000u) == kNumberedErrorBase) return static_cast<int32_t>(code & 0xFFFFu);
  return static_cast<int32_t>(hr);
}

HRESULT ReportError(REFIID iid, int32_t number, std::string_view description,
                    std::string_view source) {
  ComPtr<ICreateErrorInfo> create;
  if (SUCCEEDED(CreateErrorInfo(create.Put()))) {
    auto wide = [](std::string_view text) {
      std::wstring out;
      int n =
          MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
      out.resize(n);
      MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
      return out;
    };
    std::wstring wide_description = wide(description);
    std::wstring wide_source = wide(source);
    create->SetGUID(iid);
    create->SetDescription(wide_description.data());
    create->SetSource(wide_source.data());
    ComPtr<IErrorInfo> info;
    if (SUCCEEDED(create->QueryInterface(IID_IErrorInfo, reinterpret_cast<void**>(info.Put())))) {
      SetErrorInfo(0, info.Get());
    }
  }
  return HresultFromNumber(number);
}

std::u16string_view TextOf(BSTR text) {
  if (!text) return {};
  return {reinterpret_cast<const char16_t*>(text), SysStringLen(text)};
}

BSTR NewBstr(std::u16string_view text) {
  BSTR out = SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.data()),
                               static_cast<UINT>(text.size()));
  if (!out) throw Error::OutOfMemory("BSTR");
  return out;
}

void ReplaceBstr(BSTR* slot, std::u16string_view text) {
  BSTR fresh = NewBstr(text);
  SysFreeString(*slot);
  *slot = fresh;
}

std::vector<int32_t> LongsOf(SAFEARRAY* array) {
  std::vector<int32_t> out;
  if (!array) return out;
  VARTYPE type = VT_EMPTY;
  if (FAILED(SafeArrayGetVartype(array, &type)) || (type != VT_I4 && type != VT_INT)) {
    throw Error::TypeMismatch("SAFEARRAY");
  }
  if (SafeArrayGetDim(array) != 1) throw Error::SubscriptOutOfRange("SAFEARRAY");
  LONG lower = 0, upper = -1;
  SafeArrayGetLBound(array, 1, &lower);
  SafeArrayGetUBound(array, 1, &upper);
  if (upper < lower) return out;
  void* data = nullptr;
  if (FAILED(SafeArrayAccessData(array, &data))) throw Error::TypeMismatch("SAFEARRAY");
  const auto* values = static_cast<const int32_t*>(data);
  out.assign(values, values + (upper - lower + 1));
  SafeArrayUnaccessData(array);
  return out;
}

SAFEARRAY* NewLongArray(std::span<const int32_t> values) {
  SAFEARRAY* array = SafeArrayCreateVector(VT_I4, 0, static_cast<ULONG>(values.size()));
  if (!array) throw Error::OutOfMemory("SAFEARRAY");
  if (!values.empty()) {
    void* data = nullptr;
    SafeArrayAccessData(array, &data);
    std::copy(values.begin(), values.end(), static_cast<int32_t*>(data));
    SafeArrayUnaccessData(array);
  }
  return array;
}

}  // namespace quarnel::dataapi::com
