// The server seen from a client: the identities of the interface definition against the
// library's own, creation by class identity and by ProgID, the COM identity and
// reference-count rules, and when the DLL may be unloaded.
#include "dataapi/Identity.h"
#include "dataapi/com/tests/ComClient.h"

#include <cstring>

namespace quarnel::dataapi::com::testing {
namespace {

bool Same(const Guid& ours, REFGUID theirs) {
  static_assert(sizeof(Guid) == sizeof(GUID));
  return std::memcmp(&ours, &theirs, sizeof(GUID)) == 0;
}

TEST(ComIdentityTest, TheInterfaceDefinitionCarriesTheLibrarysIdentities) {
  struct Case {
    const char* name;
    const Guid& ours;
    const GUID& defined;
  } cases[] = {
      {"library", kLibid, LIBID_QuarnelDataAPI3},
      {"DataTable", kClsidDataTable, CLSID_DataTable},
      {"Channels", kClsidChannels, CLSID_Channels},
      {"Events", kClsidEvents, CLSID_Events},
      {"DrawObjects", kClsidDrawObjects, CLSID_DrawObjects},
      {"Timeline", kClsidTimeline, CLSID_Timeline},
      {"Bookmark", kClsidBookmark, CLSID_Bookmark},
      {"File", kClsidFile, CLSID_File},
      {"_DataTable", kIidDataTable, IID__DataTable},
      {"_Channels", kIidChannels, IID__Channels},
      {"_Events", kIidEvents, IID__Events},
      {"_DrawObjects", kIidDrawObjects, IID__DrawObjects},
      {"_Timeline", kIidTimeline, IID__Timeline},
      {"_Bookmark", kIidBookmark, IID__Bookmark},
      {"_File", kIidFile, IID__File},
      {"__Channels", kIidChannelsEvents, DIID___Channels},
      {"__Events", kIidEventsEvents, DIID___Events},
      {"__DrawObjects", kIidDrawObjectsEvents, DIID___DrawObjects},
      {"__Timeline", kIidTimelineEvents, DIID___Timeline},
      {"__File", kIidFileEvents, DIID___File},
  };
  for (const Case& c : cases) EXPECT_TRUE(Same(c.ours, c.defined)) << c.name;
}

struct ClassCase {
  const wchar_t* prog_id;
  const CLSID& clsid;
  const IID& iid;
  const IID* events;  // null for a class that raises none
};
const ClassCase kClasses[] = {
    {L"QuarnelDataAPI3.DataTable", CLSID_DataTable, IID__DataTable, nullptr},
    {L"QuarnelDataAPI3.Channels", CLSID_Channels, IID__Channels, &DIID___Channels},
    {L"QuarnelDataAPI3.Events", CLSID_Events, IID__Events, &DIID___Events},
    {L"QuarnelDataAPI3.DrawObjects", CLSID_DrawObjects, IID__DrawObjects, &DIID___DrawObjects},
    {L"QuarnelDataAPI3.Timeline", CLSID_Timeline, IID__Timeline, &DIID___Timeline},
    {L"QuarnelDataAPI3.Bookmark", CLSID_Bookmark, IID__Bookmark, nullptr},
    {L"QuarnelDataAPI3.File", CLSID_File, IID__File, &DIID___File},
};

class ComServerTest : public ComTest {};

TEST_F(ComServerTest, EveryClassIsCreatedByIdentityAndByProgIdAndKeepsTheIdentityRules) {
  for (const ClassCase& c : kClasses) {
    SCOPED_TRACE(Narrow(c.prog_id));
    CLSID clsid{};
    ASSERT_EQ(CLSIDFromProgID(c.prog_id, &clsid), S_OK);
    EXPECT_TRUE(IsEqualCLSID(clsid, c.clsid));

    Ptr<IUnknown> object = Create<IUnknown>(c.clsid, IID_IUnknown);
    ASSERT_TRUE(object);
    // Every interface leads back to the same IUnknown.
    const IID* interfaces[] = {&c.iid, &IID_IDispatch, &IID_ISupportErrorInfo};
    for (const IID* iid : interfaces) {
      Ptr<IUnknown> other = object.As<IUnknown>(*iid);
      ASSERT_TRUE(other);
      Ptr<IUnknown> back = other.As<IUnknown>(IID_IUnknown);
      EXPECT_EQ(back.Get(), object.Get());
      // Symmetric and reflexive: the interface answers for itself and for the first.
      EXPECT_TRUE(other.As<IUnknown>(*iid));
      EXPECT_TRUE(other.As<IUnknown>(c.iid));
    }
    Ptr<IUnknown> events = object.As<IUnknown>(IID_IConnectionPointContainer);
    EXPECT_EQ(static_cast<bool>(events), c.events != nullptr);

    // An interface the class does not have: E_NOINTERFACE and a null result.
    void* none = reinterpret_cast<void*>(1);
    EXPECT_EQ(object->QueryInterface(IID_IPersist, &none), E_NOINTERFACE);
    EXPECT_EQ(none, nullptr);

    // Counts: each AddRef adds one, each Release takes one.
    const ULONG base = object->AddRef();
    EXPECT_EQ(object->AddRef(), base + 1);
    EXPECT_EQ(object->Release(), base);
    EXPECT_EQ(object->Release(), base - 1);

    // Aggregation is refused; an unknown class is not available.
    Ptr<IUnknown> aggregated;
    EXPECT_EQ(CoCreateInstance(c.clsid, object.Get(), CLSCTX_INPROC_SERVER, IID_IUnknown,
                               aggregated.PutVoid()),
              CLASS_E_NOAGGREGATION);
  }
}

TEST_F(ComServerTest, ADocumentGivesTheSameCollectionObjectEveryTime) {
  Ptr<_File> doc = Create<_File>(CLSID_File, IID__File);
  Ptr<_Channels> first, second;
  ASSERT_EQ(doc->get_Channels(first.Put()), S_OK);
  ASSERT_EQ(doc->get_Channels(second.Put()), S_OK);
  EXPECT_EQ(first.Get(), second.Get());
  // A collection of another class handed to a set is refused with a type mismatch.
  Ptr<_Events> events;
  ASSERT_EQ(doc->get_Events(events.Put()), S_OK);
  EXPECT_EQ(doc->putref_Channels(reinterpret_cast<_Channels*>(events.Get())), 0x800A000D);
  // No object is allowed, and reads back as no object.
  EXPECT_EQ(doc->putref_DrawObjects(nullptr), S_OK);
  Ptr<_DrawObjects> drawing;
  EXPECT_EQ(doc->get_DrawObjects(drawing.Put()), S_OK);
  EXPECT_FALSE(drawing);
}

TEST_F(ComServerTest, TheDllMayBeUnloadedOnlyWhenNoObjectOrLockRemains) {
  Ptr<IClassFactory> factory;
  ASSERT_EQ(CoGetClassObject(CLSID_File, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory,
                             factory.PutVoid()),
            S_OK);
  HMODULE dll = GetModuleHandleW(L"QuarnelDataAPI3.dll");
  ASSERT_NE(dll, nullptr);
  auto can_unload = reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(
      reinterpret_cast<void*>(GetProcAddress(dll, "DllCanUnloadNow")));
  ASSERT_NE(can_unload, nullptr);
  EXPECT_EQ(can_unload(), S_FALSE) << "a class factory lives";

  Ptr<_File> doc;
  ASSERT_EQ(factory->CreateInstance(nullptr, IID__File, doc.PutVoid()), S_OK);
  Ptr<_Channels> channels;
  ASSERT_EQ(doc->get_Channels(channels.Put()), S_OK);
  ASSERT_EQ(factory->LockServer(TRUE), S_OK);
  factory.Reset();
  doc.Reset();
  EXPECT_EQ(can_unload(), S_FALSE) << "a collection and a lock remain";
  channels.Reset();
  EXPECT_EQ(can_unload(), S_FALSE) << "a lock remains";
  ASSERT_EQ(CoGetClassObject(CLSID_File, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory,
                             factory.PutVoid()),
            S_OK);
  factory->LockServer(FALSE);
  factory.Reset();
  EXPECT_EQ(can_unload(), S_OK);
}

}  // namespace
}  // namespace quarnel::dataapi::com::testing
