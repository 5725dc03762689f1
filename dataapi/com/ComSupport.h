// What every class of the COM layer uses: a counted interface pointer, BSTR and
// SAFEARRAY conversions, and the turning of the library's errors into HRESULTs with
// error information (number, description, source) for the caller.
//
// A library error numbered n (6 overflow, 9 subscript out of range, ...) reaches the
// client as the HRESULT 0x800A0000 + n, the code under which script hosts and compiled
// clients of that era report a numbered runtime error (Err.Number is then n again).
#pragma once

#include "platform/base/Error.h"

// clang-format off
#include <windows.h>  // before the other system headers
#include <oleauto.h>
// clang-format on

#include <cstdint>
#include <new>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace quarnel::dataapi::com {

// A counted reference to a COM interface.
template <class T>
class ComPtr {
 public:
  ComPtr() = default;
  // Takes a new count on p.
  explicit ComPtr(T* p) : p_(p) {
    if (p_) p_->AddRef();
  }
  ComPtr(const ComPtr& o) : ComPtr(o.p_) {}
  ComPtr(ComPtr&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
  ComPtr& operator=(ComPtr o) noexcept {
    std::swap(p_, o.p_);
    return *this;
  }
  ~ComPtr() {
    if (p_) p_->Release();
  }
  T* Get() const { return p_; }
  T* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }
  // For calls that hand out a new reference.
  T** Put() {
    *this = ComPtr();
    return &p_;
  }
  T* Detach() { return std::exchange(p_, nullptr); }

 private:
  T* p_ = nullptr;
};

// The HRESULT of a numbered library error.
HRESULT HresultFromNumber(int32_t number);
// The library error number an HRESULT stands for (the inverse of HresultFromNumber for
// 0x800A.... codes; otherwise the HRESULT itself).
int32_t NumberFromHresult(HRESULT hr);

// Records error information for the calling thread and gives the HRESULT to return.
HRESULT ReportError(REFIID iid, int32_t number, std::string_view description,
                    std::string_view source);

// Runs body, turning what it throws into an HRESULT with error information.
template <class Body>
HRESULT Guarded(REFIID iid, const char* source, Body&& body) noexcept {
  try {
    body();
    return S_OK;
  } catch (const Error& e) {
    return ReportError(iid, e.Number(), e.Description(), e.Source());
  } catch (const std::bad_alloc&) {
    return ReportError(iid, Error::kOutOfMemory, "Out of memory", source);
  } catch (const std::exception& e) {
    return ReportError(iid, 5, e.what(), source);
  } catch (...) {
    return ReportError(iid, 5, "Unexpected failure", source);
  }
}

// Text between the library (UTF-16 strings) and BSTRs; a null BSTR is the empty text.
std::u16string_view TextOf(BSTR text);
// A new BSTR; raises 7 when no memory is left.
BSTR NewBstr(std::u16string_view text);
// Replaces *slot by a copy of text.
void ReplaceBstr(BSTR* slot, std::u16string_view text);

// The elements of a one-dimensional SAFEARRAY of 32-bit integers, in order (none for a
// null array); raises 13 for another element type and 9 for more than one dimension.
std::vector<int32_t> LongsOf(SAFEARRAY* array);
// A new SAFEARRAY of 32-bit integers with bounds 0 to size - 1.
SAFEARRAY* NewLongArray(std::span<const int32_t> values);

// A BOOL of automation.
inline VARIANT_BOOL VariantBool(bool value) { return value ? VARIANT_TRUE : VARIANT_FALSE; }

}  // namespace quarnel::dataapi::com
