#include "dataapi/com/Classes.h"

#include "dataapi/com/DataTableObject.h"
#include "dataapi/com/FileObject.h"

namespace quarnel::dataapi::com {
namespace {

template <class Object, class Model>
HRESULT Create(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  ComPtr<typename Object::Interface> object;
  HRESULT hr = Guarded(IID_IUnknown, "CreateInstance", [&] {
    if (FAILED(Object::Wrap(Model::Create(), object.Put()))) {
      throw Error::OutOfMemory("CreateInstance");
    }
  });
  if (FAILED(hr)) return hr;
  return object->QueryInterface(iid, out);
}

constexpr ComClass kClasses[] = {
    {&CLSID_DataTable, L"DataTable", &Create<DataTableObject, DataTable>},
    {&CLSID_Channels, L"Channels", &Create<ChannelsObject, Channels>},
    {&CLSID_Events, L"Events", &Create<EventsObject, Events>},
    {&CLSID_DrawObjects, L"DrawObjects", &Create<DrawObjectsObject, DrawObjects>},
    {&CLSID_Timeline, L"Timeline", &Create<TimelineObject, Timeline>},
    {&CLSID_Bookmark, L"Bookmark", &Create<BookmarkObject, Bookmark>},
    {&CLSID_File, L"File", &Create<FileObject, File>},
};

}  // namespace

std::span<const ComClass> Classes() { return kClasses; }

}  // namespace quarnel::dataapi::com
