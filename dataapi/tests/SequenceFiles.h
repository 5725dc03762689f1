// Sequence files and their parts, made for tests with the recordset and its file writer:
// the saved tables a sequence file carries (channels, drawing, tools), the timeline
// marks, and the one-row main table itself, field by field, so that a test can leave a
// field out, give it another type or damage it.
#pragma once

#include "dataapi/CompiledRecord.h"
#include "platform/recordset/FieldTypes.h"
#include "platform/recordset/Value.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace quarnel::dataapi::testing {

struct ChannelRow {
  ChannelRow(std::string n, int32_t net = 0, int32_t dev = 0, int32_t ch = 0, int32_t type = 0,
             int32_t col = 0, std::map<int32_t, int32_t> set = {})
      : name(std::move(n)),
        network(net),
        device(dev),
        channel(ch),
        device_type(type),
        color(col),
        settings(std::move(set)) {}
  std::string name;
  int32_t network = 0;
  int32_t device = 0;
  int32_t channel = 0;
  int32_t device_type = 0;
  int32_t color = 0;
  std::map<int32_t, int32_t> settings;  // the others are 0
};
// A channel table with every field, rows in order.
std::string ChannelTableImage(const std::vector<ChannelRow>& rows);

struct DrawingRow {
  DrawingRow(int32_t ch, int32_t st, int32_t a, int32_t b, int32_t c, int32_t d, int32_t as = 0,
             int32_t ae = 0, int32_t r = 0, int32_t asp = 0)
      : channel(ch),
        style(st),
        x1(a),
        y1(b),
        x2(c),
        y2(d),
        arc_start(as),
        arc_end(ae),
        radius(r),
        aspect(asp) {}
  int32_t channel = 0;  // list index
  int32_t style = 0, x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  int32_t arc_start = 0, arc_end = 0, radius = 0, aspect = 0;  // thousandths but radius
};
// A drawing table; without the optional fields Radius, Aspect, ArcStart and ArcEnd when
// `optional_fields` is false.
std::string DrawingTableImage(const std::vector<DrawingRow>& rows, bool optional_fields = true);

struct ToolRow {
  int32_t command = 0, start = 0, end = 0;
  std::vector<int32_t> settings;  // one value per setting field, in field order
};
// A tool table with Command, StartIntensity, EndIntensity, Caption and the given
// setting fields.
std::string ToolTableImage(const std::vector<ToolRow>& rows,
                           const std::vector<std::string>& setting_fields = {"Setting0"});

// Timeline marks as 32-bit little-endian integers.
std::string MarksImage(const std::vector<int32_t>& marks);

// One field of the main table.
struct MainField {
  std::string name;
  DataTypeEnum type;
  int64_t size;  // defined size of text fields
  Value value;
};

// The main table of a sequence file. A new one holds what a new document saves: the
// reserved channel, empty tool and drawing tables, no marks, no playback data,
// version 3.0.
class SequenceFile {
 public:
  SequenceFile();

  // Sets the value of a field, keeping its type; a text field's defined size becomes
  // the text's length when it is a byte image, else stays.
  SequenceFile& Set(std::string_view name, Value value);
  SequenceFile& SetText(std::string_view name, std::string_view text);
  SequenceFile& SetData(const std::vector<CompiledRecord>& records);
  // Replaces a field by one of another type and value, in the same place.
  SequenceFile& Retype(std::string_view name, DataTypeEnum type, int64_t size, Value value);
  SequenceFile& Remove(std::string_view name);
  SequenceFile& Add(std::string name, DataTypeEnum type, int64_t size, Value value);

  // Saves the table (one row) to path.
  void Write(const std::filesystem::path& path) const;

  std::vector<MainField> fields;

 private:
  MainField& Find(std::string_view name);
};

}  // namespace quarnel::dataapi::testing
