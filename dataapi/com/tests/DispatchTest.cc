// Late binding through IDispatch, and errors: names in any case, property get and put
// (with an index), optional and by-reference arguments, and the library's numbered
// errors arriving with number, description and source, through the vtable (IErrorInfo)
// and through IDispatch (EXCEPINFO).
#include "dataapi/com/tests/ComClient.h"

#include <functional>

namespace quarnel::dataapi::com::testing {
namespace {

class ComDispatchTest : public ComTest {};

// A one-element array of 32-bit integers, as SetupTable takes them.
SAFEARRAY* Longs(LONG value) {
  SAFEARRAY* array = SafeArrayCreateVector(VT_I4, 0, 1);
  LONG index = 0;
  SafeArrayPutElement(array, &index, &value);
  return array;
}

TEST_F(ComDispatchTest, NamesPropertiesAndArguments) {
  Ptr<IDispatch> doc = Create<IDispatch>(CLSID_File, IID_IDispatch);
  ASSERT_TRUE(doc);
  // Names are found in any case; an unknown one is refused.
  EXPECT_EQ(Call(doc.Get(), L"imagebrightness", DISPATCH_PROPERTYGET).Long(), 100);
  EXPECT_EQ(Call(doc.Get(), L"NoSuchMember", DISPATCH_METHOD).hr, DISP_E_UNKNOWNNAME);
  // Property put and get, with the value converted from another type.
  EXPECT_EQ(Call(doc.Get(), L"Length", DISPATCH_PROPERTYPUT, {TextArg(L"88200")}).hr, S_OK);
  EXPECT_EQ(Call(doc.Get(), L"Length", DISPATCH_PROPERTYGET).Long(), 88200);

  Outcome channels = Call(doc.Get(), L"Channels", DISPATCH_PROPERTYGET);
  ASSERT_EQ(V_VT(&channels.result), VT_DISPATCH);
  IDispatch* list = V_DISPATCH(&channels.result);
  EXPECT_EQ(Call(list, L"Add", DISPATCH_METHOD,
                 {LongArg(0), LongArg(1), LongArg(2), TextArg(L"Lamp"), LongArg(5)})
                .Long(),
            1);
  // An indexed property put: the index first, the value last.
  EXPECT_EQ(Call(list, L"Name", DISPATCH_PROPERTYPUT, {LongArg(1), TextArg(L"Spot")}).hr, S_OK);
  EXPECT_EQ(Call(list, L"Name", DISPATCH_PROPERTYGET, {LongArg(1)}).Text(), L"Spot");
  EXPECT_EQ(Call(list, L"Setting", DISPATCH_PROPERTYPUT, {LongArg(1), LongArg(16), LongArg(77)}).hr,
            S_OK);
  EXPECT_EQ(Call(list, L"Setting", DISPATCH_PROPERTYGET, {LongArg(1), LongArg(16)}).Long(), 77);
  // Too few arguments.
  const HRESULT too_few = Call(list, L"Find", DISPATCH_METHOD, {LongArg(0)}).hr;
  EXPECT_TRUE(too_few == DISP_E_PARAMNOTOPTIONAL || too_few == DISP_E_BADPARAMCOUNT) << too_few;

  // Optional arguments: Overwrite omitted is False, given True replaces.
  Outcome events = Call(doc.Get(), L"Events", DISPATCH_PROPERTYGET);
  IDispatch* ev = V_DISPATCH(&events.result);
  EXPECT_EQ(
      Call(ev, L"Add", DISPATCH_METHOD, {LongArg(0), LongArg(1), LongArg(2), LongArg(100)}).Long(),
      0);
  EXPECT_EQ(
      Call(ev, L"Add", DISPATCH_METHOD, {LongArg(0), LongArg(1), LongArg(2), LongArg(100)}).Long(),
      -1);
  VARIANT yes;
  VariantInit(&yes);
  V_VT(&yes) = VT_BOOL;
  V_BOOL(&yes) = VARIANT_TRUE;
  EXPECT_EQ(
      Call(ev, L"Add", DISPATCH_METHOD, {LongArg(0), LongArg(1), LongArg(2), LongArg(100), yes})
          .Long(),
      0);

  // By reference: InsertRows and the UndoData lookup write back into the caller's variables.
  Ptr<IDispatch> table = Create<IDispatch>(CLSID_DataTable, IID_IDispatch);
  Outcome no_columns = Call(table.Get(), L"InsertRows", DISPATCH_METHOD, {LongArg(0), LongArg(1)});
  EXPECT_EQ(no_columns.hr, S_OK);
  Bstr lookup;
  VARIANT by_ref;
  VariantInit(&by_ref);
  V_VT(&by_ref) = VT_BYREF | VT_BSTR;
  V_BSTRREF(&by_ref) = lookup.Put();
  Outcome main = Call(list, L"UndoData", DISPATCH_PROPERTYGET, {by_ref});
  ASSERT_EQ(main.hr, S_OK);
  EXPECT_EQ(SysStringLen(V_BSTR(&main.result)), 2u * 1244u + 1u);
  EXPECT_EQ(SysStringLen(lookup.Get()), 2u * 52u + 1u);

  // Set by reference through IDispatch: the document takes the new list.
  Ptr<IDispatch> other = Create<IDispatch>(CLSID_Channels, IID_IDispatch);
  EXPECT_EQ(Call(doc.Get(), L"Channels", DISPATCH_PROPERTYPUTREF, {ObjectArg(other.Get())}).hr,
            S_OK);
  Outcome now = Call(doc.Get(), L"Channels", DISPATCH_PROPERTYGET);
  EXPECT_EQ(V_DISPATCH(&now.result), other.Get());
}

TEST_F(ComDispatchTest, NumberedErrorsArriveWithNumberDescriptionAndSource) {
  struct Case {
    const char* what;
    std::function<HRESULT(_DataTable*)> call;
    long number;
    const wchar_t* description;
    const wchar_t* source;
  } cases[] = {
      {"subscript out of range",
       [](_DataTable* t) {
         LONG n = 0;
         return t->get_LastColumnNumber(&n);
       },
       9, L"Subscript out of range", L"DataTable.LastColumnNumber"},
      {"type mismatch in a key",
       [](_DataTable* t) {
         SAFEARRAY* widths = Longs(20);
         SAFEARRAY* types = Longs(dataUnicodeString);
         LONG page = 1024, count = 1, row = 0;
         t->SetupTable(&widths, &types, &page);
         SafeArrayDestroy(widths);
         SafeArrayDestroy(types);
         t->InsertRows(0, &count, &row);
         BSTR key = SysAllocString(L"x");
         t->put_StringData(0, 0, key);
         BSTR value = SysAllocString(L"1");
         HRESULT hr = t->IndexSeek(0, value, FindFirstExact, &row);
         SysFreeString(key);
         SysFreeString(value);
         return hr;
       },
       13, L"Type mismatch", nullptr},
      {"division by zero: growth without a page size",
       [](_DataTable* t) {
         SAFEARRAY* widths = Longs(4);
         SAFEARRAY* types = Longs(dataLong);
         HRESULT hr = t->SetupTable(&widths, &types, nullptr);
         SafeArrayDestroy(widths);
         SafeArrayDestroy(types);
         if (FAILED(hr)) return hr;
         LONG count = 1, row = 0;
         return t->InsertRows(0, &count, &row);
       },
       11, L"Division by zero", nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Ptr<_DataTable> table = Create<_DataTable>(CLSID_DataTable, IID__DataTable);
    ASSERT_TRUE(table);
    Ptr<ISupportErrorInfo> supports = table.As<ISupportErrorInfo>(IID_ISupportErrorInfo);
    ASSERT_TRUE(supports);
    EXPECT_EQ(supports->InterfaceSupportsErrorInfo(IID__DataTable), S_OK);
    EXPECT_EQ(c.call(table.Get()), static_cast<HRESULT>(0x800A0000u | c.number));
    Ptr<IErrorInfo> info;
    ASSERT_EQ(GetErrorInfo(0, info.Put()), S_OK);
    Bstr description, source;
    info->GetDescription(description.Put());
    info->GetSource(source.Put());
    EXPECT_EQ(description.Text(), c.description);
    if (c.source) {
      EXPECT_EQ(source.Text(), c.source);
    }
    GUID guid{};
    info->GetGUID(&guid);
    EXPECT_TRUE(IsEqualGUID(guid, IID__DataTable));
  }
  // Through IDispatch the same error comes as an exception with its code and words.
  Ptr<IDispatch> table = Create<IDispatch>(CLSID_DataTable, IID_IDispatch);
  Outcome failed = Call(table.Get(), L"LastColumnNumber", DISPATCH_PROPERTYGET);
  EXPECT_EQ(failed.hr, DISP_E_EXCEPTION);
  EXPECT_EQ(failed.exception.scode, static_cast<SCODE>(0x800A0009u));
  EXPECT_EQ(std::wstring(failed.exception.bstrDescription ? failed.exception.bstrDescription : L""),
            L"Subscript out of range");
  EXPECT_EQ(std::wstring(failed.exception.bstrSource ? failed.exception.bstrSource : L""),
            L"DataTable.LastColumnNumber");
}

TEST_F(ComDispatchTest, ALoadThatFailsSaysWhyAndNamesTheFile) {
  Ptr<_File> doc = Create<_File>(CLSID_File, IID__File);
  const std::wstring missing = (folder_ / "no such show.dls").wstring();
  Bstr name(missing.c_str());
  EXPECT_TRUE(FAILED(doc->Load(name.Get(), FileTypeDLS)));
  Ptr<IErrorInfo> info;
  ASSERT_EQ(GetErrorInfo(0, info.Put()), S_OK);
  Bstr description;
  info->GetDescription(description.Put());
  EXPECT_NE(description.Text().find(L"no such show.dls"), std::wstring::npos)
      << Narrow(description.Text());
}

}  // namespace
}  // namespace quarnel::dataapi::com::testing
