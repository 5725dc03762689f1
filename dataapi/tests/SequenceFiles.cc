#include "dataapi/tests/SequenceFiles.h"

#include "platform/recordset/RecordTable.h"
#include "platform/recordset/Recordset.h"

#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

namespace quarnel::dataapi::testing {
namespace {

std::string Image(Recordset& rs) {
  const std::filesystem::path path =
      std::filesystem::temp_directory_path() /
      ("quarnel-table-image-" + std::to_string(std::random_device{}()));
  rs.Save(path);
  std::string bytes;
  {
    std::ifstream in(path, std::ios::binary);  // closed before the file is removed
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  std::filesystem::remove(path);
  return bytes;
}

void AppendInts(Recordset& rs, std::initializer_list<const char*> names) {
  for (const char* n : names) rs.Fields().Append(n, DataTypeEnum::adInteger);
}

}  // namespace

std::string ChannelTableImage(const std::vector<ChannelRow>& rows) {
  Recordset rs;
  rs.Fields().Append("name", DataTypeEnum::adVarChar, 100);
  AppendInts(rs, {"devicetype", "deviceid", "channel", "com", "color", "startindex", "endindex"});
  for (int32_t s = 0; s < 256; ++s) rs.Fields().Append(std::to_string(s), DataTypeEnum::adInteger);
  rs.Open();
  for (const ChannelRow& r : rows) {
    rs.AddNew();
    rs.SetValue("name", Value::Bytes(r.name));
    rs.SetValue("devicetype", r.device_type);
    rs.SetValue("deviceid", r.device);
    rs.SetValue("channel", r.channel);
    rs.SetValue("com", r.network);
    rs.SetValue("color", r.color);
    rs.SetValue("startindex", -1);
    rs.SetValue("endindex", -1);
    for (int32_t s = 0; s < 256; ++s) {
      auto it = r.settings.find(s);
      rs.SetValue(std::to_string(s), it == r.settings.end() ? 0 : it->second);
    }
  }
  return Image(rs);
}

std::string DrawingTableImage(const std::vector<DrawingRow>& rows, bool optional_fields) {
  Recordset rs;
  AppendInts(rs, {"Channel", "Style", "X1", "Y1", "X2", "Y2"});
  if (optional_fields) AppendInts(rs, {"ArcStart", "ArcEnd", "Radius", "Aspect"});
  rs.Open();
  for (const DrawingRow& r : rows) {
    rs.AddNew();
    rs.SetValue("Channel", r.channel);
    rs.SetValue("Style", r.style);
    rs.SetValue("X1", r.x1);
    rs.SetValue("Y1", r.y1);
    rs.SetValue("X2", r.x2);
    rs.SetValue("Y2", r.y2);
    if (optional_fields) {
      rs.SetValue("ArcStart", r.arc_start);
      rs.SetValue("ArcEnd", r.arc_end);
      rs.SetValue("Radius", r.radius);
      rs.SetValue("Aspect", r.aspect);
    }
  }
  return Image(rs);
}

std::string ToolTableImage(const std::vector<ToolRow>& rows,
                           const std::vector<std::string>& setting_fields) {
  Recordset rs;
  AppendInts(rs, {"Command", "StartIntensity", "EndIntensity"});
  rs.Fields().Append("Caption", DataTypeEnum::adVarChar, 256);
  for (const std::string& f : setting_fields) rs.Fields().Append(f, DataTypeEnum::adInteger);
  rs.Open();
  for (const ToolRow& r : rows) {
    rs.AddNew();
    rs.SetValue("Command", r.command);
    rs.SetValue("StartIntensity", r.start);
    rs.SetValue("EndIntensity", r.end);
    rs.SetValue("Caption", Value::Bytes("Tool " + std::to_string(r.command)));
    for (size_t k = 0; k < setting_fields.size() && k < r.settings.size(); ++k) {
      rs.SetValue(setting_fields[k], r.settings[k]);
    }
  }
  return Image(rs);
}

std::string MarksImage(const std::vector<int32_t>& marks) {
  std::string bytes;
  for (int32_t m : marks) {
    const auto u = static_cast<uint32_t>(m);
    for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<char>(u >> shift));
  }
  return bytes;
}

SequenceFile::SequenceFile() {
  using T = DataTypeEnum;
  const std::string tools = ToolTableImage({});
  const std::string channels = ChannelTableImage({{"[Reserved Channel]"}});
  const std::string drawing = DrawingTableImage({});
  auto text = [](std::string_view s) { return Value::Bytes(s); };
  fields = {
      {"name", T::adVarChar, 1024, text("")},
      {"title", T::adVarChar, 1024, text("")},
      {"author", T::adVarChar, 1024, text("")},
      {"avfile", T::adVarChar, 1024, text("")},
      {"picture", T::adVarChar, 1024, text("")},
      {"toolconfig", T::adVarChar, static_cast<int64_t>(tools.size()), text(tools)},
      {"toolhistory", T::adVarChar, static_cast<int64_t>(tools.size()), text(tools)},
      {"editcount", T::adInteger, 0, 0},
      {"height", T::adInteger, 0, 0},
      {"width", T::adInteger, 0, 0},
      {"top", T::adInteger, 0, 0},
      {"left", T::adInteger, 0, 0},
      {"length", T::adInteger, 0, 0},
      {"extensions", T::adInteger, 0, 1},
      {"events", T::adLongVarChar, 0, text("")},
      {"channels", T::adLongVarChar, static_cast<int64_t>(channels.size()), text(channels)},
      {"vectorgraphics", T::adLongVarChar, static_cast<int64_t>(drawing.size()), text(drawing)},
      {"data", T::adLongVarChar, 0, text("")},
      {"alternatemediafile", T::adVarChar, 1024, text("")},
      {"imagebrightness", T::adInteger, 0, 100},
      {"filemajorversion", T::adInteger, 0, 3},
      {"fileminorversion", T::adInteger, 0, 0},
  };
}

MainField& SequenceFile::Find(std::string_view name) {
  for (MainField& f : fields) {
    if (f.name == name) return f;
  }
  throw std::invalid_argument("no main field " + std::string(name));
}

SequenceFile& SequenceFile::Set(std::string_view name, Value value) {
  MainField& f = Find(name);
  if (f.type != DataTypeEnum::adInteger && value.kind() == Value::Kind::kBytes &&
      (f.size != 1024 || static_cast<int64_t>(value.bytes().size()) > f.size)) {
    f.size = static_cast<int64_t>(value.bytes().size());
  }
  f.value = std::move(value);
  return *this;
}

SequenceFile& SequenceFile::SetText(std::string_view name, std::string_view text) {
  return Set(name, Value::Bytes(text));
}

SequenceFile& SequenceFile::SetData(const std::vector<CompiledRecord>& records) {
  return SetText("data", WriteCompiledBlock(records));
}

SequenceFile& SequenceFile::Retype(std::string_view name, DataTypeEnum type, int64_t size,
                                   Value value) {
  MainField& f = Find(name);
  f.type = type;
  f.size = size;
  f.value = std::move(value);
  return *this;
}

SequenceFile& SequenceFile::Remove(std::string_view name) {
  std::erase_if(fields, [&](const MainField& f) { return f.name == name; });
  return *this;
}

SequenceFile& SequenceFile::Add(std::string name, DataTypeEnum type, int64_t size, Value value) {
  fields.push_back({std::move(name), type, size, std::move(value)});
  return *this;
}

void SequenceFile::Write(const std::filesystem::path& path) const {
  Recordset rs;
  for (const MainField& f : fields) rs.Fields().Append(f.name, f.type, f.size);
  rs.Open();
  rs.AddNew();
  for (const MainField& f : fields) rs.SetValue(f.name, f.value);
  rs.Save(path);
}

}  // namespace quarnel::dataapi::testing
