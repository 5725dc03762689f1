// Compose through the document: its events, its workspace, its AutoRefresh and bookmark.
#include "dataapi/tests/DocumentFixture.h"
#include "platform/base/Error.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace quarnel::dataapi::testing {
namespace {

class FileComposeTest : public DocumentTest {};

TEST_F(FileComposeTest, HandsOverThroughTheWorkspaceAndLeavesAutoRefreshOn) {
  Ref<File> doc = File::Create();
  doc->Channels()->Add(0, 1, 1, u"Lamp", 1);
  const int32_t k = doc->Events()->Add(0, 1, 1, 100);
  doc->Events()->SetCommand(k, 33);
  doc->SetAutoRefresh(false);
  Recorder r(*doc);
  doc->Compose();

  EXPECT_TRUE(doc->AutoRefresh());
  EXPECT_EQ(r.heard.front(), "status Compiling Data For Playback");
  EXPECT_EQ(r.heard.back(), "compose");
  ASSERT_EQ(doc->CompiledData().size(), 1u);
  EXPECT_EQ(doc->CompiledData()[0], (CompiledRecord{100, 0, 1, 1, 33, 0, 0, 0, 0, 0}));
  EXPECT_EQ(Cache("composed.tmp"), WriteCompiledBlock(doc->CompiledData()));
  // The bookmark was rebuilt from the channels and events as they are now.
  EXPECT_EQ(doc->Bookmark()->FindLeft(1, 100), 0);
}

TEST_F(FileComposeTest, ASecondComposeReplacesTheCompiledData) {
  Ref<File> doc = File::Create();
  doc->Events()->SetCommand(doc->Events()->Add(0, 1, 1, 100), 33);
  doc->Compose();
  doc->Events()->Remove(0);
  doc->Compose();
  EXPECT_TRUE(doc->CompiledData().empty());
  EXPECT_EQ(Cache("composed.tmp"), "");
}

TEST_F(FileComposeTest, ComposeWithoutEventsOrChannelsIsAnError) {
  Ref<File> doc = File::Create();
  doc->SetEvents(nullptr);
  try {
    doc->Compose();
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_EQ(e.Number(), Error::kObjectNotSet);
  }
  doc = File::Create();
  doc->SetChannels(nullptr);
  EXPECT_THROW(doc->Compose(), Error);
}

TEST_F(FileComposeTest, AHandlerThatReplacesTheEventsDoesNotDisturbTheRun) {
  Ref<File> doc = File::Create();
  doc->Events()->SetCommand(doc->Events()->Add(0, 1, 1, 100), 33);
  Ref<Events> original = doc->Events();
  auto sink = MakeRef<FileEventHandlers>();
  sink->on_status_change = [&](std::u16string& text) {
    if (text == u"Compiling: RGB Data") doc->SetEvents(Events::Create());
  };
  doc->Advise(sink);
  doc->Compose();
  EXPECT_EQ(doc->CompiledData().size(), 1u);
  EXPECT_EQ(original->GetBounds(), 0);
}

}  // namespace
}  // namespace quarnel::dataapi::testing
