// Early-bound clients call members by their place in the interface. The places are
// checked twice: in the type library those clients compile against (every member of
// every interface, by name and kind), and by calling a live document and channel list
// through raw vtable slots, so that moving a member anywhere fails here.
#include "dataapi/com/tests/ComClient.h"

#include <string>
#include <utility>
#include <vector>

namespace quarnel::dataapi::com::testing {
namespace {

constexpr int kFirstSlot = 7;  // after IUnknown (3) and IDispatch (4)

// "g" property get, "p" put, "r" set-by-reference, "m" method.
using Member = std::pair<const char*, const char*>;

std::vector<Member> Expand(
    std::initializer_list<std::pair<const char*, std::vector<const char*>>> groups) {
  std::vector<Member> out;
  for (const auto& [kind, names] : groups) {
    for (const char* name : names) out.emplace_back(kind, name);
  }
  return out;
}

std::vector<Member> FileMembers() {
  std::vector<Member> out;
  for (const char* name :
       {"Name", "Title", "Author", "AVFile", "Picture", "Width", "Height", "Top", "Left", "Version",
        "EditCount", "Length", "AlternateMediaFile", "ImageBrightness", "AutoRefresh"}) {
    out.emplace_back("g", name);
    out.emplace_back("p", name);
  }
  for (const char* name : {"Bookmark", "DrawObjects", "Events", "Timeline", "Channels"}) {
    out.emplace_back("g", name);
    out.emplace_back("p", name);
    out.emplace_back("r", name);
  }
  for (const char* name : {"Clone", "Load", "Save", "Compose"}) out.emplace_back("m", name);
  return out;
}

struct InterfaceCase {
  const char* name;
  const IID& iid;
  std::vector<Member> members;
};

std::vector<InterfaceCase> Interfaces() {
  return {
      {"_DataTable",
       IID__DataTable,
       {{"m", "Clear"},
        {"g", "ColumnType"},
        {"g", "LastColumnNumber"},
        {"m", "SetupTable"},
        {"g", "LongData"},
        {"p", "LongData"},
        {"g", "StringData"},
        {"p", "StringData"},
        {"m", "InsertRows"},
        {"m", "DeleteRows"},
        {"m", "GetBounds"},
        {"m", "MemoryUsed"},
        {"m", "Clone"},
        {"m", "FindInsertKey"},
        {"m", "IndexSeek"}}},
      {"_Channels", IID__Channels,
       Expand(
           {{"g", {"Network", "Device", "Channel", "Name", "DeviceType", "Color", "Setting"}},
            {"p", {"Name", "DeviceType", "Color", "Setting"}},
            {"m", {"GetBounds", "MoveGroup", "Add", "Remove", "Find", "FindName", "Move", "Clone"}},
            {"g", {"UndoData"}},
            {"p", {"UndoData"}}})},
      {"_Events", IID__Events,
       Expand({{"g",
                {"SampleNumber", "Network", "Device", "Channel", "Command", "StartIntensity",
                 "EndIntensity", "ShortInterval", "LongInterval", "Setting", "MaxSetting",
                 "EventLength"}},
               {"p",
                {"SampleNumber", "Command", "StartIntensity", "EndIntensity", "ShortInterval",
                 "LongInterval", "Setting", "EventLength"}},
               {"m",
                {"GetBounds", "BulkCreate", "Add", "Remove", "RemoveGroup", "MoveGroup", "FindLeft",
                 "FindRight", "FindBegin", "FindEnd", "Clone"}},
               {"g", {"UndoData"}},
               {"p", {"UndoData"}}})},
      {"_DrawObjects", IID__DrawObjects,
       Expand({{"g",
                {"Network", "Device", "Channel", "X1", "X2", "Y1", "Y2", "ArcStart", "ArcEnd",
                 "Aspect", "Radius", "Style"}},
               {"p", {"X1", "X2", "Y1", "Y2", "ArcStart", "ArcEnd", "Aspect", "Radius", "Style"}},
               {"m",
                {"GetBounds", "Add", "Remove", "RemoveGroup", "MoveGroup", "FindBegin", "FindEnd",
                 "Clone"}},
               {"g", {"UndoData"}},
               {"p", {"UndoData"}}})},
      {"_Timeline",
       IID__Timeline,
       {{"g", "SampleNumber"},
        {"p", "SampleNumber"},
        {"m", "Add"},
        {"m", "GetBounds"},
        {"m", "Remove"},
        {"m", "FindLeft"},
        {"m", "FindRight"},
        {"m", "Clone"},
        {"g", "UndoData"},
        {"p", "UndoData"}}},
      {"_Bookmark",
       IID__Bookmark,
       {{"m", "FindLeft"}, {"m", "FindRight"}, {"m", "Refresh"}, {"m", "Clone"}}},
      {"_File", IID__File, FileMembers()},
  };
}

const char* KindOf(INVOKEKIND kind) {
  switch (kind) {
    case INVOKE_PROPERTYGET:
      return "g";
    case INVOKE_PROPERTYPUT:
      return "p";
    case INVOKE_PROPERTYPUTREF:
      return "r";
    default:
      return "m";
  }
}

TEST_F(ComTest, TheTypeLibraryListsEveryMemberInItsPlace) {
  HMODULE dll = LoadLibraryW(L"QuarnelDataAPI3.dll");
  ASSERT_NE(dll, nullptr);
  wchar_t path[MAX_PATH];
  GetModuleFileNameW(dll, path, MAX_PATH);
  Ptr<ITypeLib> library;
  ASSERT_EQ(LoadTypeLibEx(path, REGKIND_NONE, library.Put()), S_OK);
  for (const InterfaceCase& c : Interfaces()) {
    SCOPED_TRACE(c.name);
    Ptr<ITypeInfo> info;
    ASSERT_EQ(library->GetTypeInfoOfGuid(c.iid, info.Put()), S_OK);
    // A dual interface: its vtable part.
    HREFTYPE ref = 0;
    Ptr<ITypeInfo> vtable;
    if (SUCCEEDED(info->GetRefTypeOfImplType(-1, &ref))) info->GetRefTypeInfo(ref, vtable.Put());
    ITypeInfo* type = vtable ? vtable.Get() : info.Get();
    TYPEATTR* attr = nullptr;
    ASSERT_EQ(type->GetTypeAttr(&attr), S_OK);
    std::vector<Member> listed(attr->cFuncs);
    std::vector<std::string> names(attr->cFuncs);
    for (UINT i = 0; i < attr->cFuncs; ++i) {
      FUNCDESC* func = nullptr;
      ASSERT_EQ(type->GetFuncDesc(i, &func), S_OK);
      const int slot = func->oVft / static_cast<int>(sizeof(void*)) - kFirstSlot;
      ASSERT_GE(slot, 0);
      ASSERT_LT(slot, static_cast<int>(attr->cFuncs));
      Bstr name;
      type->GetDocumentation(func->memid, name.Put(), nullptr, nullptr, nullptr);
      names[slot] = Narrow(name.Text());
      listed[slot].first = KindOf(func->invkind);
      type->ReleaseFuncDesc(func);
    }
    type->ReleaseTypeAttr(attr);
    ASSERT_EQ(listed.size(), c.members.size());
    for (size_t i = 0; i < listed.size(); ++i) {
      EXPECT_EQ(std::string(listed[i].first) + " " + names[i],
                std::string(c.members[i].first) + " " + c.members[i].second)
          << "slot " << i + kFirstSlot;
    }
  }
  FreeLibrary(dll);
}

// A raw call of vtable slot `slot` of object.
template <class... Args>
HRESULT Slot(void* object, int slot, Args... args) {
  using Fn = HRESULT(STDMETHODCALLTYPE*)(void*, Args...);
  void** table = *static_cast<void***>(object);
  return reinterpret_cast<Fn>(table[slot])(object, args...);
}

TEST_F(ComTest, ALiveDocumentAnswersOnEverySlotInOrder) {
  Ptr<_File> doc = Create<_File>(CLSID_File, IID__File);
  ASSERT_TRUE(doc);
  int slot = kFirstSlot;
  // Stored values: a put through one slot is read back through the next lower one and by
  // name; each property gets a value of its own.
  struct Value {
    const wchar_t* name;
    VARTYPE type;
  } values[] = {{L"Name", VT_BSTR},
                {L"Title", VT_BSTR},
                {L"Author", VT_BSTR},
                {L"AVFile", VT_BSTR},
                {L"Picture", VT_BSTR},
                {L"Width", VT_I4},
                {L"Height", VT_I4},
                {L"Top", VT_I4},
                {L"Left", VT_I4},
                {L"Version", VT_R8},
                {L"EditCount", VT_I4},
                {L"Length", VT_I4},
                {L"AlternateMediaFile", VT_BSTR},
                {L"ImageBrightness", VT_I4},
                {L"AutoRefresh", VT_BOOL}};
  for (const Value& v : values) {
    SCOPED_TRACE(Narrow(v.name));
    const int get = slot++, put = slot++;
    if (v.type == VT_BSTR) {
      std::wstring text = L"value of slot " + std::to_wstring(put);
      Bstr value(text.c_str());
      ASSERT_EQ(Slot(doc.Get(), put, value.Get()), S_OK);
      Bstr back;
      ASSERT_EQ(Slot(doc.Get(), get, back.Put()), S_OK);
      EXPECT_EQ(back.Text(), text);
      EXPECT_EQ(Call(doc.Get(), v.name, DISPATCH_PROPERTYGET).Text(), text);
    } else if (v.type == VT_I4) {
      ASSERT_EQ(Slot(doc.Get(), put, static_cast<LONG>(put)), S_OK);
      LONG back = 0;
      ASSERT_EQ(Slot(doc.Get(), get, &back), S_OK);
      EXPECT_EQ(back, put);
      EXPECT_EQ(Call(doc.Get(), v.name, DISPATCH_PROPERTYGET).Long(), put);
    } else if (v.type == VT_R8) {
      ASSERT_EQ(Slot(doc.Get(), put, put + 0.5), S_OK);
      double back = 0;
      ASSERT_EQ(Slot(doc.Get(), get, &back), S_OK);
      EXPECT_EQ(back, put + 0.5);
    } else {
      ASSERT_EQ(Slot(doc.Get(), put, VARIANT_BOOL(VARIANT_FALSE)), S_OK);
      VARIANT_BOOL back = VARIANT_TRUE;
      ASSERT_EQ(Slot(doc.Get(), get, &back), S_OK);
      EXPECT_EQ(back, VARIANT_FALSE);
    }
  }
  // Collections: get, hidden put, set-by-reference; each set takes a new object of the
  // class, which the get then gives back.
  struct Collection {
    const wchar_t* name;
    const CLSID& clsid;
    const IID& iid;
  } collections[] = {{L"Bookmark", CLSID_Bookmark, IID__Bookmark},
                     {L"DrawObjects", CLSID_DrawObjects, IID__DrawObjects},
                     {L"Events", CLSID_Events, IID__Events},
                     {L"Timeline", CLSID_Timeline, IID__Timeline},
                     {L"Channels", CLSID_Channels, IID__Channels}};
  for (const Collection& c : collections) {
    SCOPED_TRACE(Narrow(c.name));
    const int get = slot++, put = slot++, putref = slot++;
    for (int set : {put, putref}) {
      Ptr<IDispatch> fresh = Create<IDispatch>(c.clsid, c.iid);
      ASSERT_EQ(Slot(doc.Get(), set, fresh.Get()), S_OK);
      Ptr<IDispatch> back;
      ASSERT_EQ(Slot(doc.Get(), get, back.Put()), S_OK);
      EXPECT_EQ(back.Get(), fresh.Get());
      EXPECT_TRUE(back.As<IUnknown>(c.iid));
    }
  }
  // Methods: Clone, Load, Save, Compose.
  const int clone = slot++, load = slot++, save = slot++, compose = slot++;
  Ptr<_File> copy;
  ASSERT_EQ(Slot(doc.Get(), clone, copy.Put()), S_OK);
  ASSERT_TRUE(copy);
  EXPECT_EQ(Call(copy.Get(), L"Title", DISPATCH_PROPERTYGET).Text(), L"value of slot 10");
  RecordingSink sink(DIID___File);
  Connection connection(doc.Get(), DIID___File, &sink);
  ASSERT_EQ(Slot(doc.Get(), compose), S_OK);
  ASSERT_FALSE(sink.heard.empty());
  EXPECT_EQ(sink.heard.back(), "ComposeComplete");
  const std::wstring file = (folder_ / "slots.dls").wstring();
  Bstr file_name(file.c_str());
  ASSERT_EQ(Slot(doc.Get(), save, file_name.Get(), FileTypeDLS), S_OK);
  Ptr<_File> loaded = Create<_File>(CLSID_File, IID__File);
  ASSERT_EQ(Slot(loaded.Get(), load, file_name.Get(), FileTypeDLS), S_OK);
  EXPECT_EQ(Call(loaded.Get(), L"Author", DISPATCH_PROPERTYGET).Text(), L"value of slot 12");
  EXPECT_EQ(slot, kFirstSlot + static_cast<int>(FileMembers().size()));
}

TEST_F(ComTest, ALiveChannelListAnswersOnItsSlots) {
  Ptr<_Channels> channels = Create<_Channels>(CLSID_Channels, IID__Channels);
  ASSERT_TRUE(channels);
  const int slot_name = 10, slot_color = 12, slot_put_name = 14, slot_put_color = 16,
            slot_bounds = 18, slot_add = 20, slot_find = 22, slot_undo = 26;
  Bstr lamp(L"Lamp");
  LONG index = -5;
  ASSERT_EQ(Slot(channels.Get(), slot_add, LONG(0), LONG(1), LONG(7), lamp.Get(), LONG(1), &index),
            S_OK);
  EXPECT_EQ(index, 1);
  LONG bounds = 0, found = 0, color = 0;
  ASSERT_EQ(Slot(channels.Get(), slot_bounds, &bounds), S_OK);
  EXPECT_EQ(bounds, 1);
  ASSERT_EQ(Slot(channels.Get(), slot_find, LONG(0), LONG(1), LONG(7), &found), S_OK);
  EXPECT_EQ(found, 1);
  Bstr renamed(L"Spot");
  ASSERT_EQ(Slot(channels.Get(), slot_put_name, LONG(1), renamed.Get()), S_OK);
  ASSERT_EQ(Slot(channels.Get(), slot_put_color, LONG(1), LONG(0x00ff00)), S_OK);
  Bstr name;
  ASSERT_EQ(Slot(channels.Get(), slot_name, LONG(1), name.Put()), S_OK);
  EXPECT_EQ(name.Text(), L"Spot");
  ASSERT_EQ(Slot(channels.Get(), slot_color, LONG(1), &color), S_OK);
  EXPECT_EQ(color, 0x00ff00);
  // The UndoData get fills the lookup argument by reference.
  Bstr lookup, main;
  ASSERT_EQ(Slot(channels.Get(), slot_undo, lookup.Put(), main.Put()), S_OK);
  EXPECT_EQ(SysStringLen(main.Get()), 2u * 1244u + 1u);
  EXPECT_EQ(SysStringLen(lookup.Get()), 2u * 52u + 1u);
}

}  // namespace
}  // namespace quarnel::dataapi::com::testing
