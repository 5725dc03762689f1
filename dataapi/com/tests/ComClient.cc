#include "dataapi/com/tests/ComClient.h"

#include "platform/base/PathText.h"

#include <cstdio>

namespace quarnel::dataapi::com::testing {

void ComTest::SetUp() {
  ASSERT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  folder_ = std::filesystem::path(::testing::TempDir()) /
            ("com-" + std::to_string(GetCurrentProcessId()) + "-" + info->name());
  std::filesystem::remove_all(folder_);
  std::filesystem::create_directories(folder_);
  env_.Set("QUARNEL_WORKSPACE", platform::Utf8FromPath(folder_ / "workspace"));
}

void ComTest::TearDown() {
  CoUninitialize();
  std::error_code ec;
  std::filesystem::remove_all(folder_, ec);
}

Outcome::~Outcome() {
  VariantClear(&result);
  SysFreeString(exception.bstrDescription);
  SysFreeString(exception.bstrSource);
  SysFreeString(exception.bstrHelpFile);
}

long Outcome::Long() const {
  VARIANT v;
  VariantInit(&v);
  if (FAILED(VariantChangeType(&v, const_cast<VARIANT*>(&result), 0, VT_I4))) return -999999;
  return V_I4(&v);
}

std::wstring Outcome::Text() const {
  if (V_VT(&result) != VT_BSTR || !V_BSTR(&result)) return {};
  return {V_BSTR(&result), SysStringLen(V_BSTR(&result))};
}

Outcome Call(IDispatch* object, const wchar_t* name, WORD flags, std::vector<VARIANT> args) {
  Outcome out;
  DISPID id = 0;
  auto* names = const_cast<LPOLESTR>(name);
  out.hr = object->GetIDsOfNames(IID_NULL, &names, 1, LOCALE_USER_DEFAULT, &id);
  if (FAILED(out.hr)) return out;
  std::vector<VARIANT> reversed(args.rbegin(), args.rend());
  DISPID put_id = DISPID_PROPERTYPUT;
  DISPPARAMS params{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
  if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
    params.rgdispidNamedArgs = &put_id;
    params.cNamedArgs = 1;
  }
  UINT arg_error = 0;
  out.hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, &out.result,
                          &out.exception, &arg_error);
  for (VARIANT& v : args) {
    if (V_VT(&v) == VT_BSTR) VariantClear(&v);
  }
  return out;
}

VARIANT LongArg(long value) {
  VARIANT v;
  VariantInit(&v);
  V_VT(&v) = VT_I4;
  V_I4(&v) = value;
  return v;
}

VARIANT TextArg(const wchar_t* text) {
  VARIANT v;
  VariantInit(&v);
  V_VT(&v) = VT_BSTR;
  V_BSTR(&v) = SysAllocString(text);
  return v;
}

VARIANT ObjectArg(IDispatch* object) {
  VARIANT v;
  VariantInit(&v);
  V_VT(&v) = VT_DISPATCH;
  V_DISPATCH(&v) = object;
  return v;
}

STDMETHODIMP RecordingSink::QueryInterface(REFIID iid, void** out) {
  if (iid == IID_IUnknown || iid == IID_IDispatch || iid == iid_) {
    *out = static_cast<IDispatch*>(this);
    AddRef();
    return S_OK;
  }
  *out = nullptr;
  return E_NOINTERFACE;
}

STDMETHODIMP RecordingSink::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*,
                                   EXCEPINFO*, UINT*) {
  // The File's dispatch ids; the collections use 1 to 3 alike for StatusChange, Refresh
  // and Progress.
  const bool file = iid_ == DIID___File;
  std::string entry;
  VARIANTARG* args = params->rgvarg;  // last argument first
  switch (id) {
    case 1: {
      EXPECT_EQ(V_VT(&args[0]), VT_BYREF | VT_BSTR);
      BSTR* text = V_BSTRREF(&args[0]);
      entry = "StatusChange:" + Narrow({*text, SysStringLen(*text)});
      if (!reply_status.empty()) {
        SysFreeString(*text);
        *text = SysAllocString(reply_status.c_str());
      }
      break;
    }
    case 2:
      entry = file ? "ComposeComplete" : "Refresh";
      break;
    case 3:
    case 4:
      if (file) {
        entry = id == 3 ? "ToolInitialize:" : "HistoryInitialize:";
        for (int i = 3; i >= 1; --i) entry += std::to_string(*V_I4REF(&args[i])) + ":";
        EXPECT_EQ(V_VT(&args[0]), VT_BYREF | VT_ARRAY | VT_I4);
        SAFEARRAY* parameters = *V_ARRAYREF(&args[0]);
        LONG first = 0, zero = 0;
        const bool has_first = parameters && SafeArrayGetElement(parameters, &zero, &first) == S_OK;
        entry += has_first ? std::to_string(first) : "none";
        if (has_first && id == 3 && reply_parameter) {
          SafeArrayPutElement(parameters, &zero, &*reply_parameter);
        }
        break;
      }
      [[fallthrough]];
    case 5: {
      char percent[32];
      std::snprintf(percent, sizeof percent, "%g", *V_R8REF(&args[0]));
      entry = std::string("Progress:") + percent;
      break;
    }
    default:
      entry = "unknown:" + std::to_string(id);
  }
  heard.push_back(entry);
  return S_OK;
}

Connection::Connection(IUnknown* object, REFIID events_iid, IUnknown* sink) {
  Ptr<IConnectionPointContainer> container;
  EXPECT_EQ(object->QueryInterface(IID_IConnectionPointContainer, container.PutVoid()), S_OK);
  if (!container) return;
  EXPECT_EQ(container->FindConnectionPoint(events_iid, point_.Put()), S_OK);
  if (point_) {
    EXPECT_EQ(point_->Advise(sink, &cookie_), S_OK);
  }
}

Connection::~Connection() { Disconnect(); }

void Connection::Disconnect() {
  if (point_ && cookie_) {
    EXPECT_EQ(point_->Unadvise(cookie_), S_OK);
  }
  cookie_ = 0;
}

std::string Narrow(std::wstring_view text) {
  std::string out;
  int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                              nullptr, nullptr);
  out.resize(n);
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n,
                      nullptr, nullptr);
  return out;
}

}  // namespace quarnel::dataapi::com::testing
