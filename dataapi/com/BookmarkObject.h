// The COM class Bookmark (interface _Bookmark) over a library Bookmark.
#pragma once

#include "dataapi/Bookmark.h"
#include "dataapi/com/ChannelsObject.h"
#include "dataapi/com/ComObject.h"
#include "dataapi/com/EventsObject.h"
#include "dataapi/com/QuarnelDataAPI3.h"

namespace quarnel::dataapi::com {

class BookmarkObject final : public ComObject<BookmarkObject, _Bookmark, Bookmark> {
 public:
  explicit BookmarkObject(Ref<Bookmark> model) : ComObject(std::move(model), nullptr) {}

  STDMETHODIMP FindLeft(LONG index, LONG sample_number, LONG* result) override {
    return Out("Bookmark.FindLeft", result, [&] { return model_->FindLeft(index, sample_number); });
  }
  STDMETHODIMP FindRight(LONG index, LONG sample_number, LONG* result) override {
    return Out("Bookmark.FindRight", result,
               [&] { return model_->FindRight(index, sample_number); });
  }
  STDMETHODIMP Refresh(_Channels** channels, _Events** events) override {
    return Call("Bookmark.Refresh", [&] {
      model_->Refresh(ChannelsObject::Unwrap(channels ? *channels : nullptr, "Bookmark.Refresh"),
                      EventsObject::Unwrap(events ? *events : nullptr, "Bookmark.Refresh"));
    });
  }
  STDMETHODIMP Clone(_Bookmark** result) override {
    if (!result) return E_POINTER;
    *result = nullptr;
    return Call("Bookmark.Clone", [&] {
      if (FAILED(Wrap(model_->Clone(), result))) throw Error::OutOfMemory("Bookmark.Clone");
    });
  }
};

}  // namespace quarnel::dataapi::com
