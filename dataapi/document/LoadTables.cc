// Load, the collections from the workspace caches: timeline marks, channels, drawing
// objects, and the tool settings and history handed to the client.
#include "dataapi/document/LoadSteps.h"
#include "dataapi/document/RowReader.h"
#include "platform/recordset/Recordset.h"

#include <array>
#include <charconv>
#include <cmath>
#include <map>
#include <string>
#include <vector>

namespace quarnel::dataapi {
namespace {

// Opens a saved table from the workspace; an error names the table.
void OpenTable(Recordset& rs, const std::filesystem::path& path, const std::string& table) {
  rs.SetCursorLocation(CursorLocationEnum::adUseClient);
  try {
    rs.Open(path);
  } catch (const Error& e) {
    throw WithContext(e, table);
  }
}

template <class T>
Ref<T> Require(const Ref<T>& collection) {
  if (!collection) throw Error::ObjectNotSet(kLoadSource);
  return collection;
}

// The setting numbers k (0 to extensions) whose field "setting<k>" the table has.
std::vector<std::pair<int32_t, Field*>> SettingFields(Recordset& rs, int32_t extensions) {
  std::map<int32_t, Field*> found;
  for (Field& f : rs.Fields()) {
    const std::string name = FoldCase(f.Name());
    static constexpr std::string_view kPrefix = "setting";
    if (name.size() <= kPrefix.size() || name.compare(0, kPrefix.size(), kPrefix) != 0) continue;
    const std::string_view digits = std::string_view(name).substr(kPrefix.size());
    // Only the decimal spelling of a number names it: "setting7", not "setting07".
    if (digits.size() > 1 && digits.front() == '0') continue;
    int32_t k = 0;
    auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), k);
    if (ec != std::errc() || end != digits.data() + digits.size() || k < 0) continue;
    if (k <= extensions) found.emplace(k, &f);
  }
  return {found.begin(), found.end()};
}

}  // namespace

void LoadTimelineMarks(File& doc, std::string_view image) {
  // One mark per 4 bytes, the count rounded half to even; bytes missing from a last,
  // partial mark read as 0.
  const auto count = static_cast<size_t>(std::nearbyint(static_cast<double>(image.size()) / 4));
  if (count == 0) return;
  Ref<Timeline> timeline = Require(doc.Timeline());
  for (size_t i = 0; i < count; ++i) {
    std::array<unsigned char, 4> b{};
    for (size_t j = 0; j < 4 && 4 * i + j < image.size(); ++j) {
      b[j] = static_cast<unsigned char>(image[4 * i + j]);
    }
    const auto mark = static_cast<int32_t>(static_cast<uint32_t>(b[0]) | uint32_t{b[1]} << 8 |
                                           uint32_t{b[2]} << 16 | uint32_t{b[3]} << 24);
    timeline->Add(mark);
  }
}

std::vector<SavedChannel> LoadChannelTable(File& doc, const std::filesystem::path& path) {
  static const std::string kTable = "the channel table (field \"channels\" of the sequence file)";
  Recordset rs;
  OpenTable(rs, path, kTable);
  std::vector<SavedChannel> saved;
  if (rs.Eof()) return saved;
  const RowReader row(rs, kTable, kLoadSource);
  Field* network = row.Find("com");
  Field* device = row.Find("deviceid");
  Field* channel = row.Find("channel");
  Field* color = row.Find("color");
  Field* device_type = row.Find("devicetype");
  std::array<Field*, Channels::kSettingCount> settings{};
  for (int32_t s = 0; s < Channels::kSettingCount; ++s) settings[s] = row.Find(std::to_string(s));

  Ref<Channels> channels = Require(doc.Channels());
  // Every added channel raises Refresh; the bookmark is rebuilt once, at the end.
  File::RefreshBatch batch(doc);
  while (!rs.Eof()) {
    const int32_t n = row.Int(network, "com");
    const int32_t d = row.Int(device, "deviceid");
    const int32_t c = row.Int(channel, "channel");
    const std::u16string text = row.Text("name");
    saved.push_back({n, d, c});
    const int32_t idx = channels->Add(n, d, c, text, channels->GetBounds() + 1);
    if (idx > -1) {
      channels->SetColor(idx, row.Int(color, "color"));
      channels->SetDeviceType(idx, row.Int(device_type, "devicetype"));
      for (int32_t s = 0; s < Channels::kSettingCount; ++s) {
        channels->SetSetting(idx, s, row.Int(settings[s], std::to_string(s)));
      }
    }
    rs.MoveNext();
  }
  return saved;
}

void LoadDrawingTable(File& doc, const std::filesystem::path& path,
                      const std::vector<SavedChannel>& saved) {
  static const std::string kTable =
      "the drawing table (field \"vectorgraphics\" of the sequence file)";
  Recordset rs;
  OpenTable(rs, path, kTable);
  if (rs.Eof()) return;
  const RowReader row(rs, kTable, kLoadSource);
  Field* channel = row.Find("channel");
  Field* style = row.Find("style");
  Field* x1 = row.Find("x1");
  Field* y1 = row.Find("y1");
  Field* x2 = row.Find("x2");
  Field* y2 = row.Find("y2");
  Field* radius = row.Find("radius");
  Field* aspect = row.Find("aspect");
  Field* arc_start = row.Find("arcstart");
  Field* arc_end = row.Find("arcend");

  Ref<DrawObjects> drawing = Require(doc.DrawObjects());
  Ref<Channels> channels = Require(doc.Channels());
  while (!rs.Eof()) {
    // The index is the channel's place in the saved channel table, which is its place in
    // the list only when the list loaded every row behind a reserved channel of its own:
    // a saved list without the reserved channel, or with a row the list refused, would
    // otherwise hand every later drawing to the channel before its own. An index outside
    // the saved table gives the address the Channels gets give there.
    const int32_t ci = row.Int(channel, "channel");
    const SavedChannel at =
        ci >= 0 && static_cast<size_t>(ci) < saved.size()
            ? saved[static_cast<size_t>(ci)]
            : SavedChannel{channels->Network(ci), channels->Device(ci), channels->Channel(ci)};
    const int32_t idx = drawing->Add(at.network, at.device, at.channel);
    drawing->SetStyle(idx, row.Int(style, "style"));
    drawing->SetX1(idx, row.Int(x1, "x1"));
    drawing->SetY1(idx, row.Int(y1, "y1"));
    drawing->SetX2(idx, row.Int(x2, "x2"));
    drawing->SetY2(idx, row.Int(y2, "y2"));
    if (radius) drawing->SetRadius(idx, row.Int(radius, "radius"));
    if (aspect) drawing->SetAspect(idx, row.Int(aspect, "aspect") / 1000.0);
    if (arc_start) drawing->SetArcStart(idx, row.Int(arc_start, "arcstart") / 1000.0);
    if (arc_end) drawing->SetArcEnd(idx, row.Int(arc_end, "arcend") / 1000.0);
    rs.MoveNext();
  }
}

void LoadToolTable(File& doc, const std::filesystem::path& path, int32_t extensions, bool history) {
  const std::string table =
      history ? "the tool history table (field \"toolhistory\" of the sequence file)"
              : "the tool settings table (field \"toolconfig\" of the sequence file)";
  Recordset rs;
  OpenTable(rs, path, table);
  const int32_t max_setting = Require(doc.Events())->MaxSetting();
  // The parameters carry over from row to row; a row without a setting field passes
  // the value of the row before.
  std::vector<int32_t> parameters(static_cast<size_t>(max_setting) + 1, 0);
  if (rs.Eof()) return;
  const RowReader row(rs, table, kLoadSource);
  const auto settings = SettingFields(rs, extensions);
  Field* command = row.Find("command");
  Field* start = row.Find("startintensity");
  Field* end = row.Find("endintensity");
  while (!rs.Eof()) {
    parameters.resize(static_cast<size_t>(max_setting) + 1);  // whatever a handler did to it
    for (const auto& [k, field] : settings) {
      if (k > max_setting) {
        throw WithContext(Error::SubscriptOutOfRange(kLoadSource),
                          "field \"" + field->Name() + "\" of " + table + ": a tool has only " +
                              std::to_string(max_setting + 1) + " setting(s)");
      }
      parameters[static_cast<size_t>(k)] = row.Int(field, field->Name());
    }
    const int32_t tool_id = row.Int(command, "command");
    const int32_t start_intensity = row.Int(start, "startintensity");
    const int32_t end_intensity = row.Int(end, "endintensity");
    if (history) {
      doc.RaiseHistoryInitialize(tool_id, start_intensity, end_intensity, parameters);
    } else {
      doc.RaiseToolInitialize(tool_id, start_intensity, end_intensity, parameters);
    }
    rs.MoveNext();
  }
}

}  // namespace quarnel::dataapi
