// Field: one field of a recordset, and a handle to its value in the current row.
//
// A caller looks a field up once by name and then reads and writes the current row's
// value through the handle for every row, which costs no name lookup. Handles belong to
// the recordset's Fields collection and stay valid until the recordset's fields are
// replaced (Open of a file) or the recordset is destroyed.
#pragma once

#include "platform/recordset/FieldDef.h"
#include "platform/recordset/Value.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace quarnel {

class Recordset;

class Field {
 public:
  Field(Recordset& owner, size_t index) : owner_(&owner), index_(index) {}
  Field(const Field&) = delete;
  Field& operator=(const Field&) = delete;

  // Description.
  const std::string& Name() const { return def().name; }
  DataTypeEnum Type() const { return def().type; }
  // The defined size; an unbounded size reads as the largest 32-bit number.
  int32_t DefinedSize() const;
  int32_t Attributes() const { return static_cast<int32_t>(def().flags); }
  size_t Index() const { return index_; }

  // The value in the current row. Reading or writing with no current row raises the
  // no-current-record error.
  quarnel::Value Value() const;
  void SetValue(const quarnel::Value& value);

  // Fast paths for adInteger fields (others go through Value).
  int32_t Int32() const;
  void SetInt32(int32_t v);

  // Text through the recordset's code page (UTF-16 for wide fields), as UTF-8. Null reads
  // as an error, empty as "".
  std::string Text() const;
  void SetText(std::string_view utf8);

  // Dynamic properties: only "Optimize" (an index hint; it changes speed only).
  quarnel::Value Properties(std::string_view name) const;
  void SetProperties(std::string_view name, const quarnel::Value& value);

 private:
  const FieldDef& def() const;

  Recordset* owner_;
  size_t index_;
  bool optimize_ = false;
};

}  // namespace quarnel
