// Save, the collections to the workspace caches: the empty tool tables when none are
// there, the channel and drawing tables and the timeline marks.
#include "dataapi/document/SaveSteps.h"
#include "platform/fs/WholeFile.h"
#include "platform/recordset/Recordset.h"

#include <array>
#include <cmath>
#include <string>

namespace quarnel::dataapi {
namespace {

std::unique_ptr<Recordset> NewTable() {
  auto rs = std::make_unique<Recordset>();
  rs->SetCursorLocation(CursorLocationEnum::adUseClient);
  return rs;
}

void AppendInt(Recordset& rs, const std::string& name) {
  rs.Fields().Append(name, DataTypeEnum::adInteger, 0, adFldUnspecified);
}

template <class T>
Ref<T> Require(const Ref<T>& collection) {
  if (!collection) throw Error::ObjectNotSet(kSaveSource);
  return collection;
}

// Text through the table's code page.
Value TextValue(const Recordset& rs, std::u16string_view text) {
  return Value::Bytes(rs.CodePage().FromUtf16(text, kSaveSource));
}

// The held thousandths of ArcStart, ArcEnd or Aspect. The value read is thousandths /
// 1000, so rounding its product with 1000 gives the stored integer back exactly, where
// cutting it off would lose one for values such as 1.001.
int32_t Thousandths(double value) { return static_cast<int32_t>(std::nearbyint(value * 1000)); }

}  // namespace

std::unique_ptr<Recordset> MakeToolTable(int32_t max_setting) {
  std::unique_ptr<Recordset> rs = NewTable();
  AppendInt(*rs, "Command");
  AppendInt(*rs, "StartIntensity");
  AppendInt(*rs, "EndIntensity");
  rs->Fields().Append("Caption", DataTypeEnum::adVarChar, 256, adFldUnspecified);
  for (int32_t k = 0; k <= max_setting; ++k) AppendInt(*rs, "Setting" + std::to_string(k));
  rs->Open();
  return rs;
}

std::unique_ptr<Recordset> MakeChannelTable() {
  std::unique_ptr<Recordset> rs = NewTable();
  rs->Fields().Append("name", DataTypeEnum::adVarChar, Channels::kNameLength, adFldUnspecified);
  for (const char* name :
       {"devicetype", "deviceid", "channel", "com", "color", "startindex", "endindex"}) {
    AppendInt(*rs, name);
  }
  for (int32_t s = 0; s < Channels::kSettingCount; ++s) AppendInt(*rs, std::to_string(s));
  rs->Open();
  return rs;
}

std::unique_ptr<Recordset> MakeDrawingTable() {
  std::unique_ptr<Recordset> rs = NewTable();
  for (const char* name :
       {"Channel", "Style", "X1", "Y1", "X2", "Y2", "ArcStart", "ArcEnd", "Radius", "Aspect"}) {
    AppendInt(*rs, name);
  }
  rs->Open();
  return rs;
}

void SaveChannelTable(File& doc, const std::filesystem::path& path) {
  Ref<Channels> channels = Require(doc.Channels());
  Ref<Events> events = doc.Events();
  std::unique_ptr<Recordset> rs = MakeChannelTable();
  Fields& f = rs->Fields();
  Field& name = f["name"];
  Field* ints[] = {&f["devicetype"], &f["deviceid"],   &f["channel"], &f["com"],
                   &f["color"],      &f["startindex"], &f["endindex"]};
  std::array<Field*, Channels::kSettingCount> settings{};
  for (int32_t s = 0; s < Channels::kSettingCount; ++s) settings[s] = &f[std::to_string(s)];

  const int32_t last = channels->GetBounds();
  for (int32_t i = 0; i <= last; ++i) {
    rs->AddNew();
    name.SetValue(TextValue(*rs, channels->Name(i)));
    const int32_t network = channels->Network(i), device = channels->Device(i),
                  channel = channels->Channel(i);
    Require(events);
    const int32_t values[] = {channels->DeviceType(i),
                              device,
                              channel,
                              network,
                              channels->Color(i),
                              events->FindBegin(network, device, channel),
                              events->FindEnd(network, device, channel)};
    for (size_t k = 0; k < std::size(ints); ++k) ints[k]->SetInt32(values[k]);
    for (int32_t s = 0; s < Channels::kSettingCount; ++s) {
      settings[s]->SetInt32(channels->Setting(i, s));
    }
  }
  platform::DeleteFileQuietly(path);
  rs->Save(path, PersistFormatEnum::adPersistADTG);
}

void SaveDrawingTable(File& doc, const std::filesystem::path& path) {
  std::unique_ptr<Recordset> rs = MakeDrawingTable();
  Ref<DrawObjects> drawing = Require(doc.DrawObjects());
  Fields& f = rs->Fields();
  Field* fields[] = {&f["Channel"], &f["Style"],  &f["X1"],       &f["X2"],     &f["Y1"],
                     &f["Y2"],      &f["Radius"], &f["ArcStart"], &f["ArcEnd"], &f["Aspect"]};

  // Objects of one channel stand together, so each address is looked up once.
  int32_t network = -2, device = -2, channel = -2, ci = -1;
  const int32_t last = drawing->GetBounds();
  for (int32_t i = 0; i <= last; ++i) {
    const int32_t n = drawing->Network(i), d = drawing->Device(i), c = drawing->Channel(i);
    if (n != network || d != device || c != channel) {
      network = n;
      device = d;
      channel = c;
      ci = Require(doc.Channels())->Find(n, d, c);
    }
    if (ci < 0) continue;  // a channel that is not in the list takes its drawing along
    rs->AddNew();
    const int32_t values[] = {ci,
                              drawing->Style(i),
                              drawing->X1(i),
                              drawing->X2(i),
                              drawing->Y1(i),
                              drawing->Y2(i),
                              drawing->Radius(i),
                              Thousandths(drawing->ArcStart(i)),
                              Thousandths(drawing->ArcEnd(i)),
                              Thousandths(drawing->Aspect(i))};
    for (size_t k = 0; k < std::size(fields); ++k) fields[k]->SetInt32(values[k]);
  }
  platform::DeleteFileQuietly(path);
  rs->Save(path, PersistFormatEnum::adPersistADTG);
}

std::string TimelineImage(File& doc) {
  Ref<Timeline> timeline = Require(doc.Timeline());
  const int32_t last = timeline->GetBounds();
  std::string image(static_cast<size_t>(last + 1) * 4, '\0');
  for (int32_t i = 0; i <= last; ++i) {
    const auto v = static_cast<uint32_t>(timeline->SampleNumber(i));
    for (int b = 0; b < 4; ++b)
      image[4 * static_cast<size_t>(i) + b] = static_cast<char>(v >> (8 * b));
  }
  return image;
}

}  // namespace quarnel::dataapi
