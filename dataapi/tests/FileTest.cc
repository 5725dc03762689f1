// The sequence document itself: defaults, the collections it holds and listens to, Clone.
#include "dataapi/File.h"
#include "dataapi/document/Forwarder.h"
#include "platform/base/Error.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace quarnel::dataapi {
namespace {

// The number of channels the bookmark saw at its last rebuild (0: never rebuilt).
int32_t BookmarkChannels(const File& doc) { return doc.Bookmark()->LeftTable().channels; }

// Marks the bookmark so that a later rebuild shows.
void MarkBookmark(File& doc) { doc.Bookmark()->SetTables({-7, {}}, {-7, {}}); }

// Records what the document raises, one line per event.
struct Recorder {
  Ref<FileEventHandlers> sink = MakeRef<FileEventHandlers>();
  std::vector<std::string> heard;
  explicit Recorder(File& doc) {
    sink->on_status_change = [this](std::u16string& t) {
      heard.push_back("status " + std::string(t.begin(), t.end()));
    };
    sink->on_progress = [this](double& p) { heard.push_back("progress " + std::to_string(p)); };
    sink->on_compose_complete = [this] { heard.push_back("compose"); };
    doc.Advise(sink);
  }
};

TEST(FileTest, ANewDocumentHasItsDefaults) {
  Ref<File> doc = File::Create();
  EXPECT_EQ(doc->ImageBrightness(), 100);
  EXPECT_TRUE(doc->AutoRefresh());
  for (const std::u16string* text : {&doc->Name(), &doc->Title(), &doc->Author(), &doc->AVFile(),
                                     &doc->Picture(), &doc->AlternateMediaFile()}) {
    EXPECT_TRUE(text->empty());
  }
  for (int32_t value :
       {doc->Width(), doc->Height(), doc->Top(), doc->Left(), doc->EditCount(), doc->Length()}) {
    EXPECT_EQ(value, 0);
  }
  EXPECT_EQ(doc->Version(), 0.0);
  ASSERT_TRUE(doc->Channels());
  EXPECT_EQ(doc->Channels()->GetBounds(), 0);
  EXPECT_EQ(doc->Channels()->Name(0), u"[Reserved Channel]");
  EXPECT_EQ(doc->Events()->GetBounds(), -1);
  EXPECT_EQ(doc->DrawObjects()->GetBounds(), -1);
  EXPECT_EQ(doc->Timeline()->GetBounds(), -1);
  EXPECT_EQ(doc->Bookmark()->FindLeft(0, 0), -1);  // never rebuilt
  EXPECT_TRUE(doc->CompiledData().empty());
  EXPECT_TRUE(doc->BackupData().empty());
}

TEST(FileTest, EachCollectionIsForwardedByItsOwnRules) {
  Ref<File> doc = File::Create();
  Recorder r(*doc);
  auto check = [&](auto sink, bool status, bool refresh) {
    r.heard.clear();
    MarkBookmark(*doc);
    std::u16string text = u"Working";
    double percent = 42;
    sink->StatusChange(text);
    sink->Progress(percent);
    std::vector<std::string> expected;
    if (status) expected.push_back("status Working");
    expected.push_back("progress 42.000000");
    EXPECT_EQ(r.heard, expected);
    sink->Refresh();
    EXPECT_EQ(BookmarkChannels(*doc), refresh ? 1 : -7);
  };
  check(MakeForwarder<ChannelsEvents>(doc.Get()), false, true);
  check(MakeForwarder<DrawObjectsEvents>(doc.Get()), true, false);
  check(MakeForwarder<EventsEvents>(doc.Get()), true, true);
  check(MakeForwarder<TimelineEvents>(doc.Get()), true, false);
}

TEST(FileTest, RefreshOfTheHeldCollectionsRebuildsTheBookmarkOnlyForChannelsAndEvents) {
  Ref<File> doc = File::Create();
  doc->Channels()->Add(0, 1, 1, u"one", 1);
  EXPECT_EQ(BookmarkChannels(*doc), 2);
  MarkBookmark(*doc);
  doc->Events()->Add(0, 1, 1, 100);
  EXPECT_EQ(BookmarkChannels(*doc), 2);
  EXPECT_EQ(doc->Bookmark()->FindLeft(1, 100), 0);

  // Timeline and DrawObjects raise Refresh only from their UndoData put; it is ignored.
  MarkBookmark(*doc);
  doc->Timeline()->SetUndoData(doc->Timeline()->UndoData());
  doc->DrawObjects()->SetUndoData(doc->DrawObjects()->UndoData());
  EXPECT_EQ(BookmarkChannels(*doc), -7);
}

TEST(FileTest, WithAutoRefreshOffNothingRebuildsUntilTheNextRefreshAfterItIsOn) {
  Ref<File> doc = File::Create();
  doc->SetAutoRefresh(false);
  MarkBookmark(*doc);
  doc->Channels()->Add(0, 1, 1, u"one", 1);
  doc->Events()->Add(0, 1, 1, 100);
  EXPECT_EQ(BookmarkChannels(*doc), -7);
  doc->SetAutoRefresh(true);
  EXPECT_EQ(BookmarkChannels(*doc), -7);
  doc->Events()->Add(0, 1, 1, 200);
  EXPECT_EQ(BookmarkChannels(*doc), 2);
}

TEST(FileTest, ABatchRebuildsTheBookmarkOnceAtItsEnd) {
  Ref<File> doc = File::Create();
  {
    File::RefreshBatch outer(*doc);
    {
      File::RefreshBatch inner(*doc);
      doc->Channels()->Add(0, 1, 1, u"one", 1);
      doc->Channels()->Add(0, 1, 2, u"two", 2);
    }
    EXPECT_EQ(BookmarkChannels(*doc), 0);  // the outer batch still holds it
  }
  EXPECT_EQ(BookmarkChannels(*doc), 3);
  // A batch in which nothing asked for a rebuild rebuilds nothing.
  MarkBookmark(*doc);
  { File::RefreshBatch quiet(*doc); }
  EXPECT_EQ(BookmarkChannels(*doc), -7);
}

TEST(FileTest, AReplacedCollectionIsNoLongerListenedTo) {
  Ref<File> doc = File::Create();
  Ref<Events> old_events = doc->Events();
  Ref<Channels> old_channels = doc->Channels();
  Ref<Events> new_events = Events::Create();
  Ref<Channels> new_channels = Channels::Create();
  doc->SetEvents(new_events);
  doc->SetChannels(new_channels);
  EXPECT_EQ(doc->Events(), new_events);
  EXPECT_EQ(old_events->RefCount(), 1u);  // only this test holds it now

  MarkBookmark(*doc);
  old_events->Add(0, 0, 1, 5);
  old_channels->Add(0, 0, 1, u"old", 1);
  EXPECT_EQ(BookmarkChannels(*doc), -7);
  new_channels->Add(0, 0, 1, u"new", 1);
  EXPECT_EQ(BookmarkChannels(*doc), 2);
  new_events->Add(0, 0, 1, 5);
  EXPECT_EQ(doc->Bookmark()->FindLeft(1, 5), 0);

  // No object at all: refreshes of others do nothing, and setting it back listens again.
  doc->SetEvents(nullptr);
  EXPECT_FALSE(doc->Events());
  doc->SetEvents(old_events);
  MarkBookmark(*doc);
  old_events->Add(0, 0, 1, 6);
  EXPECT_EQ(BookmarkChannels(*doc), 2);
}

TEST(FileTest, ANullBookmarkIsNeverRefreshed) {
  Ref<File> doc = File::Create();
  doc->SetBookmark(nullptr);
  doc->Channels()->Add(0, 1, 1, u"one", 1);  // must not fail
  EXPECT_FALSE(doc->Bookmark());
}

TEST(FileTest, CollectionsOutliveTheirDocumentSafely) {
  Ref<Events> events;
  {
    Ref<File> doc = File::Create();
    events = doc->Events();
  }
  EXPECT_EQ(events->RefCount(), 1u);
  events->Add(0, 0, 1, 5);  // raises Refresh with nobody listening
  EXPECT_EQ(events->GetBounds(), 0);
}

TEST(FileTest, AHandlerMayLetGoOfTheDocument) {
  Ref<File> doc = File::Create();
  Ref<Channels> channels = doc->Channels();
  auto sink = MakeRef<FileEventHandlers>();
  int progress = 0;
  sink->on_progress = [&](double&) {
    ++progress;
    doc = nullptr;  // the last reference of the client
  };
  doc->Advise(sink);
  double percent = 5;
  Ref<ChannelsEvents> forwarder = MakeForwarder<ChannelsEvents>(doc.Get());
  forwarder->Progress(percent);
  EXPECT_EQ(progress, 1);
  EXPECT_FALSE(doc);
  channels->Add(0, 0, 1, u"after", 1);  // the document is gone; nothing reaches it
}

TEST(FileTest, CloneCopiesValuesAndCollectionsIndependently) {
  Ref<File> doc = File::Create();
  doc->SetName(u"/shows/a.dls");
  doc->SetTitle(u"Title");
  doc->SetAuthor(u"Author");
  doc->SetAVFile(u"song.mp3");
  doc->SetPicture(u"pic.bmp");
  doc->SetWidth(1);
  doc->SetHeight(2);
  doc->SetTop(3);
  doc->SetLeft(4);
  doc->SetVersion(3.12);
  doc->SetEditCount(5);
  doc->SetLength(882000);
  doc->SetAlternateMediaFile(u"alt.wav");
  doc->SetImageBrightness(55);
  doc->Channels()->Add(0, 1, 1, u"one", 1);
  doc->Events()->Add(0, 1, 1, 100);
  doc->DrawObjects()->Add(0, 1, 1);
  doc->Timeline()->Add(4410);
  doc->SetAutoRefresh(false);
  doc->CompiledData().push_back({1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
  doc->BackupData().push_back({1, 2, 3, 4, 5, 6, 7, 8, 9, 10});

  Ref<File> copy = doc->Clone();
  EXPECT_EQ(copy->Name(), u"/shows/a.dls");
  EXPECT_EQ(copy->Title(), u"Title");
  EXPECT_EQ(copy->Author(), u"Author");
  EXPECT_EQ(copy->AVFile(), u"song.mp3");
  EXPECT_EQ(copy->Picture(), u"pic.bmp");
  EXPECT_EQ((std::vector<int32_t>{copy->Width(), copy->Height(), copy->Top(), copy->Left(),
                                  copy->EditCount(), copy->Length(), copy->ImageBrightness()}),
            (std::vector<int32_t>{1, 2, 3, 4, 5, 882000, 55}));
  EXPECT_EQ(copy->Version(), 3.12);
  EXPECT_EQ(copy->AlternateMediaFile(), u"alt.wav");
  EXPECT_FALSE(copy->AutoRefresh());
  EXPECT_TRUE(copy->CompiledData().empty());
  EXPECT_TRUE(copy->BackupData().empty());

  EXPECT_NE(copy->Channels(), doc->Channels());
  EXPECT_NE(copy->Bookmark(), doc->Bookmark());
  EXPECT_EQ(copy->Channels()->GetBounds(), 1);
  EXPECT_EQ(copy->DrawObjects()->GetBounds(), 0);
  EXPECT_EQ(copy->Timeline()->SampleNumber(0), 4410);
  // The bookmark was rebuilt from the copies although AutoRefresh is False.
  EXPECT_EQ(copy->Bookmark()->FindLeft(1, 100), 0);

  copy->Events()->Add(0, 1, 1, 200);
  copy->Events()->SetCommand(0, 33);
  EXPECT_EQ(doc->Events()->GetBounds(), 0);
  EXPECT_EQ(doc->Events()->Command(0), 0);
  // The copy listens to its own collections.
  copy->SetAutoRefresh(true);
  MarkBookmark(*copy);
  copy->Events()->Add(0, 1, 1, 300);
  EXPECT_EQ(BookmarkChannels(*copy), 2);
}

TEST(FileTest, CloneFailsWhenACollectionIsNoObject) {
  Ref<File> doc = File::Create();
  doc->SetDrawObjects(nullptr);  // as a fast load leaves it
  try {
    doc->Clone();
    FAIL() << "Clone succeeded";
  } catch (const Error& e) {
    EXPECT_EQ(e.Number(), Error::kObjectNotSet);
    EXPECT_EQ(e.Source(), "File.Clone");
  }
}

}  // namespace
}  // namespace quarnel::dataapi
