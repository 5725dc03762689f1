// A reader for the XML saves that accompany the sample tables: just enough XML to take
// out the field descriptions and the rows with their states, for comparing what the
// TableGram reader shows with what the recordset library itself showed.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace quarnel::testing {

struct XmlField {
  std::string key;   // the attribute name used in rows
  std::string name;  // the field's name (rs:name when given)
  std::string type;  // dt:type
  std::string dbtype;
  std::optional<uint32_t> max_length;
  bool fixed = false;
  bool is_long = false;
  bool nullable = false;
};

struct XmlRow {
  std::string status;  // unchanged, inserted, modified, deleted
  // Values by attribute key; an absent key is null (or, in a change, not changed).
  std::map<std::string, std::string> values;
  std::set<std::string> force_null;
};

struct XmlTable {
  std::vector<XmlField> fields;
  // Changed rows hold the original values overlaid with the new ones.
  std::vector<XmlRow> rows;
};

XmlTable ParseSampleXml(std::string_view text);

}  // namespace quarnel::testing
