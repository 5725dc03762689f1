// What the client tests of the COM server share: a single-threaded apartment for each
// test with its own workspace folder, late-bound calls by name, and a sink that records
// the events it receives through a connection point.
#pragma once

#include "dataapi/com/QuarnelDataAPI3.h"
#include "platform/tests/ScopedEnvironment.h"

// clang-format off
#include <windows.h>  // before the other system headers
#include <ocidl.h>
#include <oleauto.h>
#include <olectl.h>
// clang-format on

#include <filesystem>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace quarnel::dataapi::com::testing {

// A counted interface pointer for the tests.
template <class T>
class Ptr {
 public:
  Ptr() = default;
  Ptr(const Ptr& o) : p_(o.p_) {
    if (p_) p_->AddRef();
  }
  Ptr& operator=(const Ptr&) = delete;
  ~Ptr() { Reset(); }
  void Reset() {
    if (p_) p_->Release();
    p_ = nullptr;
  }
  T* Get() const { return p_; }
  T* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }
  T** Put() {
    Reset();
    return &p_;
  }
  void** PutVoid() { return reinterpret_cast<void**>(Put()); }
  template <class U>
  Ptr<U> As(REFIID iid) const {
    Ptr<U> out;
    if (p_) p_->QueryInterface(iid, out.PutVoid());
    return out;
  }

 private:
  T* p_ = nullptr;
};

// A BSTR owned by the test.
class Bstr {
 public:
  Bstr() = default;
  explicit Bstr(const wchar_t* text) : b_(SysAllocString(text)) {}
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  ~Bstr() { SysFreeString(b_); }
  BSTR Get() const { return b_; }
  BSTR* Put() {
    SysFreeString(b_);
    b_ = nullptr;
    return &b_;
  }
  std::wstring Text() const { return b_ ? std::wstring(b_, SysStringLen(b_)) : std::wstring(); }

 private:
  BSTR b_ = nullptr;
};

class ComTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  template <class T>
  Ptr<T> Create(REFCLSID clsid, REFIID iid) {
    Ptr<T> out;
    EXPECT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, iid, out.PutVoid()), S_OK);
    return out;
  }

  std::filesystem::path folder_;

 private:
  platform::testing::ScopedEnvironment env_;
};

// The outcome of a late-bound call.
struct Outcome {
  HRESULT hr = S_OK;
  VARIANT result{};
  EXCEPINFO exception{};
  Outcome() { VariantInit(&result); }
  Outcome(const Outcome&) = delete;
  Outcome(Outcome&& o) noexcept : hr(o.hr), result(o.result), exception(o.exception) {
    VariantInit(&o.result);
    o.exception = {};
  }
  ~Outcome();
  long Long() const;
  std::wstring Text() const;
};

// Calls member `name` of object through IDispatch. Arguments are in their written order;
// for a property put the last one is the value.
Outcome Call(IDispatch* object, const wchar_t* name, WORD flags, std::vector<VARIANT> args = {});
// Argument makers (the caller's VARIANTs hold no owned data except Text's BSTR, which
// Call frees).
VARIANT LongArg(long value);
VARIANT TextArg(const wchar_t* text);
VARIANT ObjectArg(IDispatch* object);

// A sink for an event interface: records "Name" or "Name:argument" for every event
// ("ToolInitialize:id:start:end:first parameter").
class RecordingSink final : public IDispatch {
 public:
  explicit RecordingSink(REFIID events_iid) : iid_(events_iid) {}
  std::vector<std::string> heard;
  // What StatusChange hands back to the raising object instead of the text it got,
  // when set.
  std::wstring reply_status;
  // What ToolInitialize writes into the first element of Parameters, when set.
  std::optional<LONG> reply_parameter;

  STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
  STDMETHODIMP_(ULONG) AddRef() override { return ++count_; }
  STDMETHODIMP_(ULONG) Release() override { return --count_; }  // lives on the test's stack
  STDMETHODIMP GetTypeInfoCount(UINT* count) override {
    *count = 0;
    return S_OK;
  }
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                      UINT*) override;
  ULONG Count() const { return count_; }

 private:
  IID iid_;
  ULONG count_ = 0;
};

// Connects a sink to an object's connection point for the lifetime of the connection.
class Connection {
 public:
  Connection(IUnknown* object, REFIID events_iid, IUnknown* sink);
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;
  ~Connection();
  void Disconnect();

 private:
  Ptr<IConnectionPoint> point_;
  DWORD cookie_ = 0;
};

std::string Narrow(std::wstring_view text);

}  // namespace quarnel::dataapi::com::testing
