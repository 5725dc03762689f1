// The COM class File (interface _File, events __File) over a library sequence document.
// Its collections reach the client as the COM objects of those collections; a client may
// hand back any collection object of this library through the set-by-reference (or the
// hidden put, which does the same).
#pragma once

#include "dataapi/File.h"
#include "dataapi/com/BookmarkObject.h"
#include "dataapi/com/ChannelsObject.h"
#include "dataapi/com/ComObject.h"
#include "dataapi/com/DrawObjectsObject.h"
#include "dataapi/com/EventsObject.h"
#include "dataapi/com/QuarnelDataAPI3.h"
#include "dataapi/com/TimelineObject.h"

namespace quarnel::dataapi::com {

class FileObject final : public ComObject<FileObject, _File, File> {
 public:
  explicit FileObject(Ref<File> model);
  ~FileObject() override;

#define QUARNEL_COM_FILE_TEXT(Member)                                          \
  STDMETHODIMP get_##Member(BSTR* result) override {                           \
    return OutText("File." #Member, result, [&] { return model_->Member(); }); \
  }                                                                            \
  STDMETHODIMP put_##Member(BSTR value) override {                             \
    return Call("File." #Member, [&] { model_->Set##Member(TextOf(value)); }); \
  }
#define QUARNEL_COM_FILE_VALUE(Member, Type)                               \
  STDMETHODIMP get_##Member(Type* result) override {                       \
    return Out("File." #Member, result, [&] { return model_->Member(); }); \
  }                                                                        \
  STDMETHODIMP put_##Member(Type value) override {                         \
    return Call("File." #Member, [&] { model_->Set##Member(value); });     \
  }
#define QUARNEL_COM_FILE_OBJECT(Member, Object)                                           \
  STDMETHODIMP get_##Member(_##Member** result) override {                                \
    if (!result) return E_POINTER;                                                        \
    *result = nullptr;                                                                    \
    return Call("File." #Member, [&] {                                                    \
      if (FAILED(Object::Wrap(model_->Member(), result)))                                 \
          throw Error::OutOfMemory("File." #Member);                                      \
    });                                                                                   \
  }                                                                                       \
  STDMETHODIMP put_##Member(_##Member* value) override { return putref_##Member(value); } \
  STDMETHODIMP putref_##Member(_##Member* value) override {                               \
    return Call("File." #Member,                                                          \
                [&] { model_->Set##Member(Object::Unwrap(value, "File." #Member)); });    \
  }

  QUARNEL_COM_FILE_TEXT(Name)
  QUARNEL_COM_FILE_TEXT(Title)
  QUARNEL_COM_FILE_TEXT(Author)
  QUARNEL_COM_FILE_TEXT(AVFile)
  QUARNEL_COM_FILE_TEXT(Picture)
  QUARNEL_COM_FILE_VALUE(Width, LONG)
  QUARNEL_COM_FILE_VALUE(Height, LONG)
  QUARNEL_COM_FILE_VALUE(Top, LONG)
  QUARNEL_COM_FILE_VALUE(Left, LONG)
  QUARNEL_COM_FILE_VALUE(Version, DOUBLE)
  QUARNEL_COM_FILE_VALUE(EditCount, LONG)
  QUARNEL_COM_FILE_VALUE(Length, LONG)
  QUARNEL_COM_FILE_TEXT(AlternateMediaFile)
  QUARNEL_COM_FILE_VALUE(ImageBrightness, LONG)
  STDMETHODIMP get_AutoRefresh(VARIANT_BOOL* result) override {
    return Out("File.AutoRefresh", result, [&] { return VariantBool(model_->AutoRefresh()); });
  }
  STDMETHODIMP put_AutoRefresh(VARIANT_BOOL value) override {
    return Call("File.AutoRefresh", [&] { model_->SetAutoRefresh(value != VARIANT_FALSE); });
  }
  QUARNEL_COM_FILE_OBJECT(Bookmark, BookmarkObject)
  QUARNEL_COM_FILE_OBJECT(DrawObjects, DrawObjectsObject)
  QUARNEL_COM_FILE_OBJECT(Events, EventsObject)
  QUARNEL_COM_FILE_OBJECT(Timeline, TimelineObject)
  QUARNEL_COM_FILE_OBJECT(Channels, ChannelsObject)

#undef QUARNEL_COM_FILE_TEXT
#undef QUARNEL_COM_FILE_VALUE
#undef QUARNEL_COM_FILE_OBJECT

  STDMETHODIMP Clone(_File** result) override {
    if (!result) return E_POINTER;
    *result = nullptr;
    return Call("File.Clone", [&] {
      if (FAILED(Wrap(model_->Clone(), result))) throw Error::OutOfMemory("File.Clone");
    });
  }
  STDMETHODIMP Load(BSTR file_name, ::FileType file_type) override {
    return Call("File.Load",
                [&] { model_->Load(TextOf(file_name), static_cast<FileType>(file_type)); });
  }
  STDMETHODIMP Save(BSTR file_name, ::FileType file_type) override {
    return Call("File.Save",
                [&] { model_->Save(TextOf(file_name), static_cast<FileType>(file_type)); });
  }
  STDMETHODIMP Compose() override {
    return Call("File.Compose", [&] { model_->Compose(); });
  }

 private:
  uint32_t cookie_;
};

}  // namespace quarnel::dataapi::com
