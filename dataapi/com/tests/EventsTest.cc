// Events through connection points: a document's sinks hear, while Load, Save and
// Compose run, exactly what a sink of the library's own document hears for the same
// show, in the same order; collections raise Refresh to their sinks; a sink that has
// disconnected hears nothing more; arguments go by reference.
#include "dataapi/File.h"
#include "dataapi/com/tests/ComClient.h"
#include "dataapi/tests/SequenceFiles.h"

#include <cstdio>

namespace quarnel::dataapi::com::testing {
namespace {

class ComEventsTest : public ComTest {};

// Records the library document's events in the form RecordingSink uses.
Ref<FileEventHandlers> Recorder(std::vector<std::string>& heard) {
  auto sink = MakeRef<FileEventHandlers>();
  sink->on_status_change = [&heard](std::u16string& text) {
    heard.push_back("StatusChange:" + Narrow(std::wstring(text.begin(), text.end())));
  };
  sink->on_compose_complete = [&heard] { heard.push_back("ComposeComplete"); };
  auto tool = [&heard](const char* name) {
    return [&heard, name](int32_t& id, int32_t& start, int32_t& end, std::vector<int32_t>& p) {
      heard.push_back(std::string(name) + ":" + std::to_string(id) + ":" + std::to_string(start) +
                      ":" + std::to_string(end) + ":" +
                      (p.empty() ? std::string("none") : std::to_string(p[0])));
    };
  };
  sink->on_tool_initialize = tool("ToolInitialize");
  sink->on_history_initialize = tool("HistoryInitialize");
  sink->on_progress = [&heard](double& percent) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", percent);
    heard.push_back(std::string("Progress:") + text);
  };
  return sink;
}

TEST_F(ComEventsTest, LoadSaveAndComposeRaiseTheLibrarysEventsInTheLibrarysOrder) {
  // The same small show, once as a COM object and once as the library's own document.
  Ptr<IDispatch> doc = Create<IDispatch>(CLSID_File, IID_IDispatch);
  Ref<File> reference = File::Create();
  Outcome channels = Call(doc.Get(), L"Channels", DISPATCH_PROPERTYGET);
  Outcome events = Call(doc.Get(), L"Events", DISPATCH_PROPERTYGET);
  for (long c = 1; c <= 3; ++c) {
    std::wstring name = L"Lamp " + std::to_wstring(c);
    Call(V_DISPATCH(&channels.result), L"Add", DISPATCH_METHOD,
         {LongArg(0), LongArg(1), LongArg(c), TextArg(name.c_str()), LongArg(c)});
    reference->Channels()->Add(0, 1, c, std::u16string(name.begin(), name.end()), c);
    for (long s = 0; s < 4; ++s) {
      Outcome k = Call(V_DISPATCH(&events.result), L"Add", DISPATCH_METHOD,
                       {LongArg(0), LongArg(1), LongArg(c), LongArg(s * 30000 + c)});
      Call(V_DISPATCH(&events.result), L"Command", DISPATCH_PROPERTYPUT,
           {LongArg(k.Long()), LongArg(33)});
      const int32_t r = reference->Events()->Add(0, 1, c, s * 30000 + c);
      reference->Events()->SetCommand(r, 33);
    }
  }
  Call(doc.Get(), L"Length", DISPATCH_PROPERTYPUT, {LongArg(200000)});
  reference->SetLength(200000);

  RecordingSink sink(DIID___File);
  Connection connection(doc.Get(), DIID___File, &sink);
  std::vector<std::string> expected;
  reference->Advise(Recorder(expected));

  const std::wstring file = (folder_ / "events.dls").wstring();
  const std::u16string file16(file.begin(), file.end());
  struct Step {
    const char* what;
    std::function<HRESULT()> com;
    std::function<void()> library;
  } steps[] = {
      {"Save",
       [&] {
         return Call(doc.Get(), L"Save", DISPATCH_METHOD, {TextArg(file.c_str()), LongArg(0)}).hr;
       },
       [&] { reference->Save(file16, FileTypeDLS); }},
      {"Load",
       [&] {
         return Call(doc.Get(), L"Load", DISPATCH_METHOD, {TextArg(file.c_str()), LongArg(0)}).hr;
       },
       [&] { reference->Load(file16, FileTypeDLS); }},
      {"Compose", [&] { return Call(doc.Get(), L"Compose", DISPATCH_METHOD).hr; },
       [&] { reference->Compose(); }},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.what);
    sink.heard.clear();
    expected.clear();
    ASSERT_EQ(step.com(), S_OK);
    step.library();
    EXPECT_FALSE(expected.empty());
    EXPECT_EQ(sink.heard, expected);
  }
  connection.Disconnect();
  sink.heard.clear();
  ASSERT_EQ(Call(doc.Get(), L"Compose", DISPATCH_METHOD).hr, S_OK);
  EXPECT_TRUE(sink.heard.empty()) << "a disconnected sink heard " << sink.heard.front();
  EXPECT_EQ(sink.Count(), 0u) << "the document still holds the sink";
}

TEST_F(ComEventsTest, ToolSettingsArriveWithTheirArraysAndAHandlersChangeCarriesOver) {
  // Tool rows without a setting field: the first passes 0, the next what the handler left
  // in the array it was given by reference.
  dataapi::testing::SequenceFile show;
  show.SetText("toolconfig",
               dataapi::testing::ToolTableImage({{1, 10, 20, {5}}, {2, 30, 40, {7}}}, {}));
  show.SetText("toolhistory", dataapi::testing::ToolTableImage({{8, 2, 239, {4}}}));
  show.Set("extensions", 1);
  const std::filesystem::path path = folder_ / "tools.dls";
  show.Write(path);

  Ptr<_File> doc = Create<_File>(CLSID_File, IID__File);
  RecordingSink sink(DIID___File);
  sink.reply_parameter = 42;
  Connection connection(doc.Get(), DIID___File, &sink);
  Bstr name(path.wstring().c_str());
  ASSERT_EQ(doc->Load(name.Get(), ::FileTypeDLS), S_OK);
  std::vector<std::string> tools;
  for (const std::string& e : sink.heard) {
    if (e.find("Initialize") != std::string::npos) tools.push_back(e);
  }
  EXPECT_EQ(tools,
            (std::vector<std::string>{"ToolInitialize:1:10:20:0", "ToolInitialize:2:30:40:42",
                                      "HistoryInitialize:8:2:239:4"}));
}

TEST_F(ComEventsTest, CollectionsRaiseRefreshToEverySinkAndArgumentsGoByReference) {
  Ptr<IDispatch> list = Create<IDispatch>(CLSID_Channels, IID_IDispatch);
  RecordingSink first(DIID___Channels), second(DIID___Channels);
  {
    Connection a(list.Get(), DIID___Channels, &first);
    Connection b(list.Get(), DIID___Channels, &second);
    Call(list.Get(), L"Add", DISPATCH_METHOD,
         {LongArg(0), LongArg(1), LongArg(1), TextArg(L"A"), LongArg(1)});
    Call(list.Get(), L"Move", DISPATCH_METHOD, {LongArg(1), LongArg(0)});
    Call(list.Get(), L"Name", DISPATCH_PROPERTYPUT, {LongArg(0), TextArg(L"B")});  // raises nothing
  }
  EXPECT_EQ(first.heard.size(), second.heard.size());
  EXPECT_FALSE(first.heard.empty());
  for (const std::string& e : first.heard) EXPECT_EQ(e, "Refresh");
  // A sink of the wrong event interface cannot connect.
  RecordingSink wrong(DIID___Events);
  Ptr<IConnectionPointContainer> container =
      list.As<IConnectionPointContainer>(IID_IConnectionPointContainer);
  Ptr<IConnectionPoint> point;
  ASSERT_EQ(container->FindConnectionPoint(DIID___Channels, point.Put()), S_OK);
  DWORD cookie = 0;
  EXPECT_EQ(point->Advise(&wrong, &cookie), CONNECT_E_CANNOTCONNECT);
  Ptr<IConnectionPoint> none;
  EXPECT_EQ(container->FindConnectionPoint(DIID___File, none.Put()), CONNECT_E_NOCONNECTION);

  // A document forwards the StatusChange of its Events, and the text its sink writes back
  // reaches the raising collection's other listeners: here, the document's own status
  // comes through a Compose, whose sink rewrites it.
  Ptr<IDispatch> doc = Create<IDispatch>(CLSID_File, IID_IDispatch);
  RecordingSink rewriting(DIID___File), after(DIID___File);
  rewriting.reply_status = L"rewritten";
  Connection c1(doc.Get(), DIID___File, &rewriting);
  Connection c2(doc.Get(), DIID___File, &after);
  ASSERT_EQ(Call(doc.Get(), L"Compose", DISPATCH_METHOD).hr, S_OK);
  ASSERT_FALSE(after.heard.empty());
  EXPECT_EQ(after.heard.front(), "StatusChange:rewritten");
}

}  // namespace
}  // namespace quarnel::dataapi::com::testing
