#include "tools/dlstool/DlsJson.h"

#include "platform/base/Utf8.h"

#include <nlohmann/json.hpp>

namespace quarnel::dlstool {
namespace {

using dataapi::CompiledRecord;

std::string Quoted(std::u16string_view text) { return nlohmann::json(Utf8(text)).dump(); }

// Writes an object member by member: `"key": ` after a comma when it is not the first;
// a multi-line object puts each member on a line of its own.
class ObjectWriter {
 public:
  explicit ObjectWriter(std::ostream& out, bool multiline = false)
      : out_(out), multiline_(multiline) {
    out_ << "{";
  }
  ~ObjectWriter() { out_ << (multiline_ ? "\n}" : "}"); }
  std::ostream& Key(std::string_view key) {
    out_ << (first_ ? "" : ",")
         << (multiline_ ? "\n  "
             : first_   ? ""
                        : " ")
         << '"' << key << "\": ";
    first_ = false;
    return out_;
  }

 private:
  std::ostream& out_;
  bool multiline_;
  bool first_ = true;
};

// Writes `[item, item, ...]`, each item by write(i), one per line.
template <class Write>
void Array(std::ostream& out, int64_t count, Write&& write) {
  out << "[";
  for (int64_t i = 0; i < count; ++i) {
    out << (i == 0 ? "\n    " : ",\n    ");
    write(i);
  }
  out << (count > 0 ? "\n  ]" : "]");
}

void WriteRecord(std::ostream& out, const CompiledRecord& r) {
  ObjectWriter o(out);
  o.Key("SampleNumber") << r.sample_number;
  o.Key("Network") << r.network;
  o.Key("Device") << r.device;
  o.Key("ChannelMask") << r.channel_mask;
  o.Key("Command") << r.command;
  o.Key("StartIntensity") << r.start_intensity;
  o.Key("EndIntensity") << r.end_intensity;
  o.Key("ShortInterval") << r.short_interval;
  o.Key("LongInterval") << r.long_interval;
  o.Key("Setting0") << r.setting0;
}

void WriteTools(std::ostream& out, const std::vector<ToolEntry>& tools) {
  Array(out, static_cast<int64_t>(tools.size()), [&](int64_t i) {
    const ToolEntry& t = tools[static_cast<size_t>(i)];
    ObjectWriter o(out);
    o.Key("ToolID") << t.tool_id;
    o.Key("StartIntensity") << t.start_intensity;
    o.Key("EndIntensity") << t.end_intensity;
    o.Key("Parameters") << nlohmann::json(t.parameters).dump();
  });
}

void WriteChannels(std::ostream& out, const dataapi::Channels& c) {
  Array(out, c.GetBounds() + 1, [&](int64_t i64) {
    const auto i = static_cast<int32_t>(i64);
    ObjectWriter o(out);
    o.Key("Network") << c.Network(i);
    o.Key("Device") << c.Device(i);
    o.Key("Channel") << c.Channel(i);
    o.Key("Name") << Quoted(c.Name(i));
    o.Key("DeviceType") << c.DeviceType(i);
    o.Key("Color") << c.Color(i);
    nlohmann::json settings = nlohmann::json::object();
    for (int32_t s = 0; s < dataapi::Channels::kSettingCount; ++s) {
      if (const int32_t v = c.Setting(i, s); v != 0) settings[std::to_string(s)] = v;
    }
    o.Key("Settings") << settings.dump();
  });
}

void WriteEvents(std::ostream& out, const dataapi::Events& events) {
  Array(out, events.GetBounds() + 1, [&](int64_t i) {
    const dataapi::EventRecord e = events.Record(static_cast<int32_t>(i));
    ObjectWriter o(out);
    o.Key("Network") << e.network;
    o.Key("Device") << e.device;
    o.Key("Channel") << e.channel;
    o.Key("SampleNumber") << e.sample_number;
    o.Key("Command") << e.command;
    o.Key("StartIntensity") << e.start_intensity;
    o.Key("EndIntensity") << e.end_intensity;
    o.Key("ShortInterval") << e.short_interval;
    o.Key("LongInterval") << e.long_interval;
    o.Key("Setting0") << e.settings[0];
  });
}

void WriteDrawObjects(std::ostream& out, const dataapi::DrawObjects& d) {
  Array(out, d.GetBounds() + 1, [&](int64_t i64) {
    const auto i = static_cast<int32_t>(i64);
    ObjectWriter o(out);
    o.Key("Network") << d.Network(i);
    o.Key("Device") << d.Device(i);
    o.Key("Channel") << d.Channel(i);
    o.Key("X1") << d.X1(i);
    o.Key("X2") << d.X2(i);
    o.Key("Y1") << d.Y1(i);
    o.Key("Y2") << d.Y2(i);
    o.Key("ArcStart") << nlohmann::json(d.ArcStart(i)).dump();
    o.Key("ArcEnd") << nlohmann::json(d.ArcEnd(i)).dump();
    o.Key("Radius") << d.Radius(i);
    o.Key("Aspect") << nlohmann::json(d.Aspect(i)).dump();
    o.Key("Style") << d.Style(i);
  });
}

}  // namespace

std::string Utf8(std::u16string_view text) { return Utf16ToUtf8(text); }

void WriteRecordsJson(std::ostream& out, std::span<const CompiledRecord> records) {
  Array(out, static_cast<int64_t>(records.size()),
        [&](int64_t i) { WriteRecord(out, records[static_cast<size_t>(i)]); });
  out << "\n";
}

void WriteSequenceJson(std::ostream& out, const LoadedSequence& sequence) {
  const dataapi::File& doc = *sequence.doc;
  {
    ObjectWriter o(out, true);
    o.Key("Name") << Quoted(doc.Name());
    o.Key("Title") << Quoted(doc.Title());
    o.Key("Author") << Quoted(doc.Author());
    o.Key("AVFile") << Quoted(doc.AVFile());
    o.Key("Picture") << Quoted(doc.Picture());
    o.Key("Width") << doc.Width();
    o.Key("Height") << doc.Height();
    o.Key("Top") << doc.Top();
    o.Key("Left") << doc.Left();
    o.Key("Version") << nlohmann::json(doc.Version()).dump();
    o.Key("EditCount") << doc.EditCount();
    o.Key("Length") << doc.Length();
    o.Key("AlternateMediaFile") << Quoted(doc.AlternateMediaFile());
    o.Key("ImageBrightness") << doc.ImageBrightness();
    o.Key("Channels");
    if (Ref<dataapi::Channels> c = doc.Channels()) {
      WriteChannels(out, *c);
    } else {
      out << "null";
    }
    o.Key("Events");
    if (Ref<dataapi::Events> e = doc.Events()) {
      WriteEvents(out, *e);
    } else {
      out << "null";
    }
    o.Key("DrawObjects");
    if (Ref<dataapi::DrawObjects> d = doc.DrawObjects()) {
      WriteDrawObjects(out, *d);
    } else {
      out << "null";
    }
    o.Key("Timeline");
    if (Ref<dataapi::Timeline> t = doc.Timeline()) {
      std::vector<int32_t> marks;
      for (int32_t i = 0; i <= t->GetBounds(); ++i) marks.push_back(t->SampleNumber(i));
      out << nlohmann::json(marks).dump();
    } else {
      out << "null";
    }
    o.Key("Tools");
    WriteTools(out, sequence.tools);
    o.Key("History");
    WriteTools(out, sequence.history);
    o.Key("Compiled");
    Array(out, static_cast<int64_t>(sequence.compiled.size()),
          [&](int64_t i) { WriteRecord(out, sequence.compiled[static_cast<size_t>(i)]); });
  }
  out << "\n";
}

}  // namespace quarnel::dlstool
