#include "dataapi/Channels.h"

#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace quarnel::dataapi {
namespace {

// Names in list order, and a check that Find agrees with every position.
std::vector<std::u16string> NamesOf(const Channels& c) {
  std::vector<std::u16string> names;
  for (int32_t i = 0; i <= c.GetBounds(); ++i) {
    names.push_back(c.Name(i));
    EXPECT_EQ(c.Find(c.Network(i), c.Device(i), c.Channel(i)), i) << "entry " << i;
  }
  return names;
}

std::u16string Str16(int32_t n) {
  const std::string s = std::to_string(n);
  return std::u16string(s.begin(), s.end());
}

// A list A, B, C, D at addresses 1,1,1 .. 1,1,4 (the reserved channel removed).
Ref<Channels> Abcd() {
  Ref<Channels> c = Channels::Create();
  c->Remove(0);
  const char16_t* names[] = {u"A", u"B", u"C", u"D"};
  for (int32_t i = 0; i < 4; ++i) EXPECT_EQ(c->Add(1, 1, i + 1, names[i], i), i);
  return c;
}

TEST(ChannelsTest, NewListHoldsTheReservedChannel) {
  Ref<Channels> c = Channels::Create();
  EXPECT_EQ(c->GetBounds(), 0);
  EXPECT_EQ(c->Name(0), u"[Reserved Channel]");
  EXPECT_EQ(c->Find(0, 0, 0), 0);
  EXPECT_EQ(c->DeviceType(0), 0);
  EXPECT_EQ(c->Setting(0, 255), 0);
  c->Remove(0);
  EXPECT_EQ(c->GetBounds(), -1);
  EXPECT_EQ(c->Find(0, 0, 0), -1);
}

TEST(ChannelsTest, AddRefusesTakenAddressesNamesAndBadPositions) {
  Ref<Channels> c = Channels::Create();
  EXPECT_EQ(c->Add(0, 1, 1, u"One", 1), 1);
  EXPECT_EQ(c->Add(0, 1, 2, u"Two", 1000), 2);  // past the end appends
  EXPECT_EQ(c->Add(0, 1, 1, u"Other", 0), -1);  // address taken
  EXPECT_EQ(c->Add(0, 1, 3, u"One", 0), -1);    // name taken
  EXPECT_EQ(c->Add(0, 1, 3, u"Three", -1), -1);
  // A key longer than the 24-character key column would break the lookup order.
  EXPECT_EQ(c->Add(-2147483647, -2147483647, 1, u"Wide", 0), -1);
  EXPECT_EQ(NamesOf(*c), (std::vector<std::u16string>{u"[Reserved Channel]", u"One", u"Two"}));
}

TEST(ChannelsTest, AddInFrontShiftsEveryIndex) {
  Ref<Channels> c = Channels::Create();
  c->Add(0, 2, 10, u"Ten", 1);
  c->Add(0, 2, 9, u"Nine", 2);
  EXPECT_EQ(c->Add(5, 0, 0, u"First", 0), 0);
  EXPECT_EQ(c->Find(0, 0, 0), 1);
  EXPECT_EQ(c->Find(0, 2, 10), 2);
  EXPECT_EQ(c->Find(0, 2, 9), 3);
  NamesOf(*c);
}

TEST(ChannelsTest, MoveReordersTheList) {
  struct Case {
    int32_t src, dest, result;
    std::vector<std::u16string> names;
  };
  const Case cases[] = {
      {0, 2, 1, {u"B", u"A", u"C", u"D"}},  {3, 0, 0, {u"D", u"A", u"B", u"C"}},
      {0, 4, -1, {u"A", u"B", u"C", u"D"}}, {-1, 0, -1, {u"A", u"B", u"C", u"D"}},
      {1, 3, 2, {u"A", u"C", u"B", u"D"}},  {2, 2, 2, {u"A", u"B", u"C", u"D"}},
  };
  for (const Case& k : cases) {
    Ref<Channels> c = Abcd();
    c->SetColor(k.src, 77);
    c->SetSetting(k.src, 200, 5);
    EXPECT_EQ(c->Move(k.src, k.dest), k.result);
    EXPECT_EQ(NamesOf(*c), k.names);
    if (k.result >= 0) {
      EXPECT_EQ(c->Color(k.result), 77);
      EXPECT_EQ(c->Setting(k.result, 200), 5);
    }
  }
}

TEST(ChannelsTest, MoveKeepsAnEntryWhoseNameWasDoubled) {
  Ref<Channels> c = Abcd();
  c->SetName(3, u"A");  // puts do not check uniqueness
  EXPECT_EQ(c->Move(3, 0), 0);
  EXPECT_EQ(NamesOf(*c), (std::vector<std::u16string>{u"A", u"A", u"B", u"C"}));
  EXPECT_EQ(c->Channel(0), 4);
}

TEST(ChannelsTest, MoveGroupChangesOnlyTheAddress) {
  Ref<Channels> c = Abcd();
  c->SetDeviceType(1, 12);
  c->SetColor(1, 0xFF00);
  for (int32_t s = 0; s < 256; ++s) c->SetSetting(1, s, s * 3);
  c->MoveGroup(1, 1, 2, 0, 9, 9);
  EXPECT_EQ(NamesOf(*c), (std::vector<std::u16string>{u"A", u"B", u"C", u"D"}));
  EXPECT_EQ(c->Find(0, 9, 9), 1);
  EXPECT_EQ(c->Find(1, 1, 2), -1);
  EXPECT_EQ(c->DeviceType(1), 12);
  EXPECT_EQ(c->Color(1), 0xFF00);
  for (int32_t s = 0; s < 256; ++s) ASSERT_EQ(c->Setting(1, s), s * 3);
  // Onto an address another channel holds, or from an absent one: unchanged.
  c->MoveGroup(0, 9, 9, 1, 1, 3);
  c->MoveGroup(7, 7, 7, 1, 1, 9);
  EXPECT_EQ(c->Find(0, 9, 9), 1);
  EXPECT_EQ(c->Find(1, 1, 3), 2);
  EXPECT_EQ(NamesOf(*c), (std::vector<std::u16string>{u"A", u"B", u"C", u"D"}));
}

// A Refresh handler may change the list while Move or MoveGroup has the moved channel
// out of it (between its removal and its return). The channel comes back at a place
// that exists, keeps its fields, and the lookup stays one row per channel; only when
// the handler took its address does it stay out, as Add would refuse it.
TEST(ChannelsTest, MoveSurvivesARefreshHandlerThatChangesTheList) {
  enum Change { kCutTo9, kCutTo10, kGrowInFront, kTakeTheAddress };
  struct Case {
    bool group;  // MoveGroup of the channel at src to address 9,9,9, else Move(src, dest)
    int32_t src, dest;
    Change change;
    bool kept;
  };
  const Case cases[] = {
      {false, 150, 190, kCutTo9, true},
      {false, 150, 190, kCutTo10, true},
      {false, 150, 20, kCutTo9, true},
      {false, 3, 199, kGrowInFront, true},
      {false, 150, 190, kTakeTheAddress, false},
      {true, 150, 0, kCutTo9, true},
      {true, 150, 0, kCutTo10, true},
      {true, 3, 0, kGrowInFront, true},
      {true, 150, 0, kTakeTheAddress, false},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(::testing::Message() << (k.group ? "MoveGroup " : "Move ") << k.src << " "
                                      << k.dest << " change " << k.change);
    Ref<Channels> c = Channels::Create();
    for (int32_t i = 1; i < 200; ++i) c->Add(1, i / 16, i % 16, u"Ch" + Str16(i), i);
    c->SetColor(k.src, 4242);
    c->SetSetting(k.src, 255, -7);
    const std::u16string moved_name = c->Name(k.src);
    const int32_t network = k.group ? 9 : c->Network(k.src);
    const int32_t device = k.group ? 9 : c->Device(k.src);
    const int32_t channel = k.group ? 9 : c->Channel(k.src);
    bool armed = true;
    auto sink = MakeRef<EventHandlers<ChannelsEvents>>();
    sink->on_refresh = [&] {
      if (!armed) return;
      armed = false;
      switch (k.change) {
        case kCutTo9:
        case kCutTo10:
          while (c->GetBounds() + 1 > (k.change == kCutTo9 ? 9 : 10)) c->Remove(c->GetBounds());
          break;
        case kGrowInFront:
          for (int32_t i = 0; i < 5; ++i) c->Add(2, 0, i, u"New" + Str16(i), 0);
          break;
        case kTakeTheAddress:
          c->Add(network, device, channel, u"Intruder", 0);
          break;
      }
    };
    c->Advise(sink);
    int32_t r = -1;
    if (k.group) {
      c->MoveGroup(c->Network(k.src), c->Device(k.src), c->Channel(k.src), 9, 9, 9);
      r = c->FindName(moved_name);
    } else {
      r = c->Move(k.src, k.dest);
    }
    NamesOf(*c);  // every channel found at its own place
    EXPECT_EQ(c->LookupTable().GetBounds(), c->GetBounds());
    EXPECT_EQ(c->FindName(moved_name), k.kept ? r : -1);
    if (!k.kept) {
      EXPECT_EQ(r, -1);
      continue;
    }
    ASSERT_GE(r, 0);
    ASSERT_LE(r, c->GetBounds());
    EXPECT_EQ(c->Find(network, device, channel), r);
    EXPECT_EQ(c->Color(r), 4242);
    EXPECT_EQ(c->Setting(r, 255), -7);
  }
}

TEST(ChannelsTest, NamesAreCutAt100CharactersAndFoundCaseSensitively) {
  Ref<Channels> c = Channels::Create();
  std::u16string long_name(120, u'x');
  long_name[50] = u'Y';
  EXPECT_EQ(c->Add(0, 0, 1, long_name, 1), 1);
  EXPECT_EQ(c->Name(1), long_name.substr(0, 100));
  EXPECT_EQ(c->FindName(long_name), 1);
  EXPECT_EQ(c->FindName(long_name.substr(0, 100)), 1);
  EXPECT_EQ(c->FindName(u"[reserved channel]"), -1);
  EXPECT_EQ(c->FindName(u"[Reserved Channel]"), 0);
  // Another name with the same first 100 characters is taken.
  EXPECT_EQ(c->Add(0, 0, 2, long_name.substr(0, 100) + u"zzz", 2), -1);
}

TEST(ChannelsTest, FieldsOutsideTheListAreIgnored) {
  Ref<Channels> c = Channels::Create();
  c->SetColor(5, 1);
  c->SetSetting(0, 256, 9);
  c->SetSetting(0, -1, 9);  // would otherwise land in Color
  EXPECT_EQ(c->Color(0), 0);
  EXPECT_EQ(c->Setting(0, -1), 0);
  EXPECT_EQ(c->Name(3), u"");
}

TEST(ChannelsTest, UndoDataRestoresListAndLookupExactly) {
  Ref<Channels> c = Abcd();
  c->SetSetting(2, 17, -4);
  std::u16string lookup;
  std::u16string main = c->UndoData(lookup);
  EXPECT_EQ(main.size(), 4u * 1244 + 1);
  EXPECT_EQ(lookup.size(), 4u * 52 + 1);
  c->Move(0, 3);
  c->Remove(1);
  c->Add(3, 3, 3, u"New", 0);
  int refreshes = 0;
  auto sink = MakeRef<EventHandlers<ChannelsEvents>>();
  sink->on_refresh = [&] { ++refreshes; };
  c->Advise(sink);
  c->SetUndoData(lookup, main);
  EXPECT_EQ(refreshes, 1);
  EXPECT_EQ(NamesOf(*c), (std::vector<std::u16string>{u"A", u"B", u"C", u"D"}));
  EXPECT_EQ(c->Setting(2, 17), -4);
  std::u16string lookup2;
  EXPECT_EQ(c->UndoData(lookup2), main);
  EXPECT_EQ(lookup2, lookup);
  // Strings that are no pair of this list change nothing.
  std::u16string short_lookup = lookup.substr(52);
  Ref<Channels> fresh = Channels::Create();
  fresh->SetUndoData(short_lookup, main);
  std::u16string junk = u"\u4e00\u4e01";
  fresh->SetUndoData(junk, main);
  EXPECT_EQ(NamesOf(*fresh), (std::vector<std::u16string>{u"[Reserved Channel]"}));
}

TEST(ChannelsTest, CloneIsIndependent) {
  Ref<Channels> c = Abcd();
  Ref<Channels> copy = c->Clone();
  EXPECT_EQ(NamesOf(*copy), NamesOf(*c));
  copy->Remove(0);
  copy->SetColor(0, 5);
  EXPECT_EQ(c->GetBounds(), 3);
  EXPECT_EQ(c->Color(1), 0);
  EXPECT_EQ(c->Find(1, 1, 1), 0);
}

// Add finds taken names through an index that every change of the list keeps; after any
// mix of changes FindName must agree with a plain search of the names.
TEST(ChannelsTest, NameFindsAgreeWithTheNamesAfterEveryKindOfChange) {
  std::mt19937 rng(11);
  auto pick = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); };
  const std::u16string pool[] = {u"A", u"B", u" B ", u"C", u"", u"   ", u"D d"};
  auto plain_find = [](const Channels& c, std::u16string_view name) {
    std::u16string cut(name.substr(0, Channels::kNameLength));
    for (int32_t i = 0; i <= c.GetBounds(); ++i) {
      if (!cut.empty() && (cut.front() == u' ' || cut.back() == u' ')) return -1;
      if (c.Name(i) == cut) return i;
    }
    return -1;
  };
  Ref<Channels> c = Channels::Create();
  std::u16string undo_lookup, undo_main = c->UndoData(undo_lookup);
  for (int step = 0; step < 3000; ++step) {
    const int32_t size = c->GetBounds() + 1;
    const std::u16string& name = pool[pick(7)];
    switch (pick(8)) {
      case 0:
      case 1:
        c->Add(1, pick(4), pick(8), name + std::u16string(1, u'a' + pick(3)), pick(size + 1));
        break;
      case 2:
        if (size > 0) c->Remove(pick(size));
        break;
      case 3:
        if (size > 0) c->SetName(pick(size), name);
        break;
      case 4:
        if (size > 0) c->Move(pick(size), pick(size));
        break;
      case 5:
        c->MoveGroup(1, pick(4), pick(8), 1, pick(4), pick(8));
        break;
      case 6:
        if (pick(2) == 0) {
          undo_main = c->UndoData(undo_lookup);
        } else {
          c->SetUndoData(undo_lookup, undo_main);
        }
        break;
      case 7:
        c = c->Clone();
        break;
    }
    for (const std::u16string& base : pool) {
      for (const std::u16string& probe : {base, base + u"a", base + u"b", base + u"c"}) {
        ASSERT_EQ(c->FindName(probe), plain_find(*c, probe)) << "step " << step;
      }
    }
  }
}

}  // namespace
}  // namespace quarnel::dataapi
