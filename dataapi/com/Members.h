// Shorthands for the one-line members of the COM classes: each forwards to the library
// object's member of the same name (a put to Set<Name>), inside ComObject::Call, so that
// errors reach the client with their number, description and source.
#pragma once

// Property get and put of a field of entry `index`.
#define QUARNEL_COM_GET_AT(Class, Member, Type)                                                \
  STDMETHODIMP get_##Member(LONG index, Type* result) override {                               \
    return this->Out(#Class "." #Member, result, [&] { return this->model_->Member(index); }); \
  }
#define QUARNEL_COM_PUT_AT(Class, Member, Type)                                              \
  STDMETHODIMP put_##Member(LONG index, Type value) override {                               \
    return this->Call(#Class "." #Member, [&] { this->model_->Set##Member(index, value); }); \
  }
// The same for a member with an address (Network, Device, Channel) and a result.
#define QUARNEL_COM_FIND_NDC(Class, Member)                                             \
  STDMETHODIMP Member(LONG network, LONG device, LONG channel, LONG* result) override { \
    return this->Out(#Class "." #Member, result,                                        \
                     [&] { return this->model_->Member(network, device, channel); });   \
  }
// GetBounds, Clone and UndoData (without a lookup) of a collection.
#define QUARNEL_COM_COLLECTION_COMMON(Class, Object)                                          \
  STDMETHODIMP GetBounds(LONG* result) override {                                             \
    return this->Out(#Class ".GetBounds", result, [&] { return this->model_->GetBounds(); }); \
  }                                                                                           \
  STDMETHODIMP Clone(_##Class** result) override {                                            \
    if (!result) return E_POINTER;                                                            \
    *result = nullptr;                                                                        \
    return this->Call(#Class ".Clone", [&] {                                                  \
      HRESULT hr = Object::Wrap(this->model_->Clone(), result);                               \
      if (FAILED(hr)) throw Error::OutOfMemory(#Class ".Clone");                              \
    });                                                                                       \
  }
#define QUARNEL_COM_UNDO_DATA(Class)                                                            \
  STDMETHODIMP get_UndoData(BSTR* result) override {                                            \
    return this->OutText(#Class ".UndoData", result, [&] { return this->model_->UndoData(); }); \
  }                                                                                             \
  STDMETHODIMP put_UndoData(BSTR value) override {                                              \
    return this->Call(#Class ".UndoData", [&] { this->model_->SetUndoData(TextOf(value)); });   \
  }
