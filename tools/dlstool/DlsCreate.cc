#include "tools/dlstool/DlsCreate.h"

#include "platform/base/PathText.h"
#include "platform/fs/WholeFile.h"
#include "tools/dlstool/DlsJson.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <numeric>
#include <vector>

namespace quarnel::dlstool {
namespace {

using nlohmann::json;

std::string Address(int32_t n, int32_t d, int32_t c) {
  return std::to_string(n) + "," + std::to_string(d) + "," + std::to_string(c);
}

// Reads the members of one JSON object, naming it in every error.
class Entry {
 public:
  Entry(const json& value, std::string where) : value_(value), where_(std::move(where)) {
    if (!value_.is_object()) Fail("must be an object");
  }

  [[noreturn]] void Fail(const std::string& what) const { throw CreateError(where_ + ": " + what); }
  const std::string& Where() const { return where_; }
  bool Has(const char* key) const { return value_.contains(key); }

  int32_t Int(const char* key, int32_t fallback = 0) const {
    if (!value_.contains(key)) return fallback;
    const json& v = Raw(key);
    if (v.is_number_integer()) {
      const int64_t i = v.get<int64_t>();
      if (i >= std::numeric_limits<int32_t>::min() && i <= std::numeric_limits<int32_t>::max()) {
        return static_cast<int32_t>(i);
      }
    } else if (v.is_number_unsigned() && v.get<uint64_t>() <= INT32_MAX) {
      return static_cast<int32_t>(v.get<uint64_t>());
    }
    Fail(std::string(key) + " must be a 32-bit integer, not " + v.dump());
  }
  double Number(const char* key, double fallback = 0) const {
    if (!value_.contains(key)) return fallback;
    const json& v = Raw(key);
    if (!v.is_number()) Fail(std::string(key) + " must be a number, not " + v.dump());
    return v.get<double>();
  }
  std::u16string Text(const char* key) const {
    if (!value_.contains(key)) return {};
    const json& v = Raw(key);
    if (!v.is_string()) Fail(std::string(key) + " must be text, not " + v.dump());
    return Utf16(v.get_ref<const std::string&>(), where_ + "." + key);
  }
  // The array member, or nothing when it is absent or null.
  const json* Array(const char* key) const {
    const json& v = Raw(key);
    if (v.is_null()) return nullptr;
    if (!v.is_array()) Fail(std::string(key) + " must be an array");
    return &v;
  }
  // The member, or null when it is absent.
  const json& Raw(const char* key) const {
    static const json kNull;
    const auto it = value_.find(key);
    return it == value_.end() ? kNull : *it;
  }

 private:
  const json& value_;
  std::string where_;
};

void SetProperties(dataapi::File& doc, const Entry& e) {
  if (e.Has("Name")) doc.SetName(e.Text("Name"));
  if (e.Has("Title")) doc.SetTitle(e.Text("Title"));
  if (e.Has("Author")) doc.SetAuthor(e.Text("Author"));
  if (e.Has("AVFile")) doc.SetAVFile(e.Text("AVFile"));
  if (e.Has("Picture")) doc.SetPicture(e.Text("Picture"));
  doc.SetWidth(e.Int("Width", doc.Width()));
  doc.SetHeight(e.Int("Height", doc.Height()));
  doc.SetTop(e.Int("Top", doc.Top()));
  doc.SetLeft(e.Int("Left", doc.Left()));
  doc.SetVersion(e.Number("Version", doc.Version()));
  doc.SetEditCount(e.Int("EditCount", doc.EditCount()));
  doc.SetLength(e.Int("Length", doc.Length()));
  if (e.Has("AlternateMediaFile")) doc.SetAlternateMediaFile(e.Text("AlternateMediaFile"));
  doc.SetImageBrightness(e.Int("ImageBrightness", doc.ImageBrightness()));
}

void AddChannels(dataapi::File& doc, const json& list) {
  Ref<dataapi::Channels> channels = dataapi::Channels::Create();
  channels->Remove(0);  // the list given replaces the new list, reserved channel and all
  for (size_t i = 0; i < list.size(); ++i) {
    const Entry e(list[i], "Channels[" + std::to_string(i) + "]");
    const int32_t n = e.Int("Network"), d = e.Int("Device"), c = e.Int("Channel");
    const std::u16string name = e.Text("Name");
    const int32_t at = channels->Add(n, d, c, name, channels->GetBounds() + 1);
    if (at < 0) {
      std::string why;
      if (channels->Find(n, d, c) >= 0) {
        why = "the address " + Address(n, d, c) + " is already in the list";
      } else if (channels->FindName(name) >= 0) {
        why = "the name " + json(Utf8(name)).dump() + " is already in the list";
      } else {
        why = "the address " + Address(n, d, c) + " is too long for the channel list";
      }
      e.Fail("the channel list refuses this channel: " + why);
    }
    channels->SetDeviceType(at, e.Int("DeviceType"));
    channels->SetColor(at, e.Int("Color"));
    if (e.Has("Settings")) {
      const json& settings = e.Raw("Settings");
      if (!settings.is_object()) e.Fail("Settings must be an object of setting numbers");
      const Entry s(settings, e.Where() + ".Settings");
      for (const auto& [key, value] : settings.items()) {
        int32_t number = -1;
        if (!key.empty() && key.size() <= 3 &&
            std::all_of(key.begin(), key.end(), [](char ch) { return ch >= '0' && ch <= '9'; })) {
          number = std::stoi(key);
        }
        if (number < 0 || number >= dataapi::Channels::kSettingCount) {
          s.Fail("\"" + key + "\" is no setting number (0 to 255)");
        }
        channels->SetSetting(at, number, s.Int(key.c_str()));
      }
    }
  }
  doc.SetChannels(channels);
}

void AddEvents(dataapi::File& doc, const json& list) {
  std::vector<dataapi::EventRecord> records(list.size());
  for (size_t i = 0; i < list.size(); ++i) {
    const Entry e(list[i], "Events[" + std::to_string(i) + "]");
    dataapi::EventRecord& r = records[i];
    r.network = e.Int("Network");
    r.device = e.Int("Device");
    r.channel = e.Int("Channel");
    r.sample_number = e.Int("SampleNumber");
    r.command = e.Int("Command");
    r.start_intensity = e.Int("StartIntensity");
    r.end_intensity = e.Int("EndIntensity");
    r.short_interval = e.Int("ShortInterval");
    r.long_interval = e.Int("LongInterval");
    r.settings[0] = e.Int("Setting0");
  }
  auto describe = [&](size_t i) {
    const dataapi::EventRecord& r = records[i];
    return "Events[" + std::to_string(i) + "] (" + Address(r.network, r.device, r.channel) +
           " at sample " + std::to_string(r.sample_number) + ")";
  };
  // One event per channel and sample: name the later of two that share one.
  std::vector<size_t> order(records.size());
  std::iota(order.begin(), order.end(), size_t{0});
  auto key = [&](size_t i) {
    const dataapi::EventRecord& r = records[i];
    return std::tuple(r.network, r.device, r.channel, r.sample_number);
  };
  std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return key(a) < key(b); });
  for (size_t k = 1; k < order.size(); ++k) {
    if (key(order[k]) == key(order[k - 1])) {
      throw CreateError(describe(order[k]) + ": the events refuse this event: " +
                        describe(order[k - 1]) + " is at the same channel and sample");
    }
  }
  Ref<dataapi::Events> events = doc.Events();
  const int32_t added = events->AddMany(records);
  if (static_cast<size_t>(added) != records.size()) {
    for (size_t i = 0; i < records.size(); ++i) {
      const dataapi::EventRecord& r = records[i];
      const int32_t k = events->FindLeft(r.network, r.device, r.channel, r.sample_number);
      if (k < 0 || events->SampleNumber(k) != r.sample_number) {
        throw CreateError(describe(i) +
                          ": the events refuse this event: its address and sample are too "
                          "long for the event table");
      }
    }
  }
}

void AddDrawObjects(dataapi::File& doc, const json& list) {
  Ref<dataapi::DrawObjects> drawing = doc.DrawObjects();
  for (size_t i = 0; i < list.size(); ++i) {
    const Entry e(list[i], "DrawObjects[" + std::to_string(i) + "]");
    const int32_t n = e.Int("Network"), d = e.Int("Device"), c = e.Int("Channel");
    const int32_t at = drawing->Add(n, d, c);
    if (at < 0) {
      e.Fail("the drawing refuses this object: the address " + Address(n, d, c) +
             " is too long for the drawing table");
    }
    drawing->SetX1(at, e.Int("X1"));
    drawing->SetX2(at, e.Int("X2"));
    drawing->SetY1(at, e.Int("Y1"));
    drawing->SetY2(at, e.Int("Y2"));
    drawing->SetArcStart(at, e.Number("ArcStart"));
    drawing->SetArcEnd(at, e.Number("ArcEnd"));
    drawing->SetRadius(at, e.Int("Radius"));
    drawing->SetAspect(at, e.Number("Aspect"));
    drawing->SetStyle(at, e.Int("Style"));
  }
}

void AddTimeline(dataapi::File& doc, const json& list) {
  Ref<dataapi::Timeline> timeline = doc.Timeline();
  for (size_t i = 0; i < list.size(); ++i) {
    const json& v = list[i];
    const std::string where = "Timeline[" + std::to_string(i) + "]";
    if (!v.is_number_integer() || v.get<int64_t>() < std::numeric_limits<int32_t>::min() ||
        v.get<int64_t>() > std::numeric_limits<int32_t>::max()) {
      throw CreateError(where + ": a mark must be a 32-bit sample number, not " + v.dump());
    }
    if (timeline->Add(static_cast<int32_t>(v.get<int64_t>())) < 0) {
      throw CreateError(where + ": the timeline refuses the mark " + v.dump() +
                        ": it is already on the timeline");
    }
  }
}

}  // namespace

std::u16string Utf16(std::string_view utf8, const std::string& where) {
  std::u16string out;
  out.reserve(utf8.size());
  for (size_t i = 0; i < utf8.size();) {
    const auto b = static_cast<unsigned char>(utf8[i]);
    char32_t c;
    size_t n;
    if (b < 0x80) {
      c = b;
      n = 1;
    } else if ((b & 0xE0) == 0xC0) {
      c = b & 0x1F;
      n = 2;
    } else if ((b & 0xF0) == 0xE0) {
      c = b & 0x0F;
      n = 3;
    } else if ((b & 0xF8) == 0xF0) {
      c = b & 0x07;
      n = 4;
    } else {
      throw CreateError(where + ": the text is not UTF-8");
    }
    if (i + n > utf8.size()) throw CreateError(where + ": the text is not UTF-8");
    for (size_t k = 1; k < n; ++k) {
      const auto cont = static_cast<unsigned char>(utf8[i + k]);
      if ((cont & 0xC0) != 0x80) throw CreateError(where + ": the text is not UTF-8");
      c = (c << 6) | (cont & 0x3F);
    }
    i += n;
    if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
      throw CreateError(where + ": the text is not UTF-8");
    }
    if (c >= 0x10000) {
      c -= 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(c));
    }
  }
  return out;
}

Ref<dataapi::File> DocumentFromJson(const nlohmann::json& sequence) {
  const Entry top(sequence, "the document");
  Ref<dataapi::File> doc = dataapi::File::Create();
  // The bookmark is rebuilt once, when everything is in place.
  doc->SetAutoRefresh(false);
  SetProperties(*doc, top);
  if (const json* channels = top.Array("Channels")) AddChannels(*doc, *channels);
  if (const json* events = top.Array("Events")) AddEvents(*doc, *events);
  if (const json* drawing = top.Array("DrawObjects")) AddDrawObjects(*doc, *drawing);
  if (const json* timeline = top.Array("Timeline")) AddTimeline(*doc, *timeline);
  doc->SetAutoRefresh(true);
  if (Ref<dataapi::Bookmark> bookmark = doc->Bookmark()) {
    bookmark->Refresh(doc->Channels(), doc->Events());
  }
  return doc;
}

Ref<dataapi::File> DocumentFromJsonFile(const std::string& path) {
  const std::string text = platform::ReadWholeFile(platform::PathFromUtf8(path), "");
  json sequence;
  try {
    sequence = json::parse(text);
  } catch (const json::parse_error& e) {
    throw CreateError("not a JSON document: " + std::string(e.what()));
  }
  return DocumentFromJson(sequence);
}

}  // namespace quarnel::dlstool
