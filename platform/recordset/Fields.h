// Fields: the ordered collection of a recordset's fields. Fields are appended while the
// recordset is closed; names are matched without regard to case.
#pragma once

#include "platform/recordset/Field.h"
#include "platform/recordset/FieldTypes.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace quarnel {

class Recordset;

class Fields {
 public:
  explicit Fields(Recordset& owner) : owner_(&owner) {}
  Fields(const Fields&) = delete;
  Fields& operator=(const Fields&) = delete;

  // Appends a field. Raises an error when the recordset is open, when a field of that
  // name exists, or for an unsupported type or size.
  void Append(std::string name, DataTypeEnum type, int64_t defined_size = 0,
              int32_t attributes = adFldUnspecified);

  int32_t Count() const { return static_cast<int32_t>(fields_.size()); }
  // By position (0-based) or name; raises item-not-found.
  Field& Item(int32_t index) const;
  Field& Item(std::string_view name) const;
  Field& operator[](std::string_view name) const { return Item(name); }
  // By name, or nullptr: for callers that test whether a field exists.
  Field* Find(std::string_view name) const;

  // Enumeration in field order.
  class Iterator {
   public:
    explicit Iterator(const std::unique_ptr<Field>* p) : p_(p) {}
    Field& operator*() const { return **p_; }
    Field* operator->() const { return p_->get(); }
    Iterator& operator++() {
      ++p_;
      return *this;
    }
    bool operator==(const Iterator&) const = default;

   private:
    const std::unique_ptr<Field>* p_;
  };
  Iterator begin() const { return Iterator(fields_.data()); }
  Iterator end() const { return Iterator(fields_.data() + fields_.size()); }

 private:
  friend class Recordset;
  // One handle per field of the owner's table; `fresh` drops the old handles first.
  void Rebuild(size_t count, bool fresh);

  Recordset* owner_;
  std::vector<std::unique_ptr<Field>> fields_;
};

}  // namespace quarnel
