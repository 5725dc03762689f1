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
// Remove, RemoveGroup and MoveGroup (with the index of the first moved entry) of the
// collections kept by channel address.
#define QUARNEL_COM_GROUP_EDITS(Class)                                                           \
  STDMETHODIMP Remove(LONG index) override {                                                     \
    return this->Call(#Class ".Remove", [&] { this->model_->Remove(index); });                   \
  }                                                                                              \
  STDMETHODIMP RemoveGroup(LONG network, LONG device, LONG channel) override {                   \
    return this->Call(#Class ".RemoveGroup",                                                     \
                      [&] { this->model_->RemoveGroup(network, device, channel); });             \
  }                                                                                              \
  STDMETHODIMP MoveGroup(LONG src_network, LONG src_device, LONG src_channel, LONG dest_network, \
                         LONG dest_device, LONG dest_channel, LONG* result) override {           \
    return this->Out(#Class ".MoveGroup", result, [&] {                                          \
      return this->model_->MoveGroup(src_network, src_device, src_channel, dest_network,         \
                                     dest_device, dest_channel);                                 \
    });                                                                                          \
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
