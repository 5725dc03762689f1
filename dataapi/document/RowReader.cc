#include "dataapi/document/RowReader.h"

#include "platform/recordset/Recordset.h"
#include "platform/recordset/RecordsetErrors.h"

#include <charconv>

namespace quarnel::dataapi {
namespace {

std::u16string Utf16LeToString(std::string_view bytes) {
  std::u16string text(bytes.size() / 2, u'\0');
  for (size_t i = 0; i < text.size(); ++i) {
    text[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                    static_cast<unsigned char>(bytes[2 * i + 1]) << 8);
  }
  return text;
}

std::string_view Trimmed(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

}  // namespace

Error WithContext(const Error& e, std::string_view context) {
  return Error(e.Number(), e.Description() + " (" + std::string(context) + ")", e.Source());
}

RowReader::RowReader(Recordset& rs, std::string table, const char* source)
    : rs_(&rs), table_(std::move(table)), source_(source) {}

bool RowReader::Has(std::string_view field) const { return Find(field) != nullptr; }

Field* RowReader::Find(std::string_view field) const { return rs_->Fields().Find(field); }

Error RowReader::InField(const Error& e, std::string_view field) const {
  return WithContext(e, "field \"" + std::string(field) + "\" of " + table_);
}

Field& RowReader::Require(std::string_view field) const {
  Field* f = Find(field);
  if (f == nullptr) {
    throw recordset_errors::ItemNotFound(source_,
                                         table_ + " has no field \"" + std::string(field) + "\"");
  }
  return *f;
}

int32_t RowReader::Int(std::string_view field) const { return Int(&Require(field), field); }

int32_t RowReader::Int(Field* field, std::string_view name) const {
  if (field == nullptr) Require(name);
  try {
    return field->Int32();
  } catch (const Error& e) {
    throw InField(e, name);
  }
}

std::u16string RowReader::Text(std::string_view field) const {
  Field& f = Require(field);
  try {
    const Value v = f.Value();
    const TypeInfo* info = FindType(f.Type());
    if (v.kind() == Value::Kind::kBytes && info != nullptr && info->wide) {
      return Utf16LeToString(v.bytes());
    }
    return rs_->CodePage().ToUtf16(v.ToBytes(source_));
  } catch (const Error& e) {
    throw InField(e, field);
  }
}

std::string RowReader::Bytes(std::string_view field) const {
  Field& f = Require(field);
  try {
    const Value v = f.Value();
    const TypeInfo* info = FindType(f.Type());
    if (v.kind() == Value::Kind::kBytes && info != nullptr && info->wide) {
      // Wide text holds characters, not bytes: each goes through the code page.
      return rs_->CodePage().FromUtf16(Utf16LeToString(v.bytes()), source_);
    }
    return v.ToBytes(source_);
  } catch (const Error& e) {
    throw InField(e, field);
  }
}

double RowReader::Number(std::string_view field) const {
  Field& f = Require(field);
  try {
    const Value v = f.Value();
    switch (v.kind()) {
      case Value::Kind::kEmpty:
        return 0;
      case Value::Kind::kNull:
        throw recordset_errors::InvalidUseOfNull(source_);
      case Value::Kind::kInteger:
        return static_cast<double>(v.integer());
      case Value::Kind::kDouble:
        return v.real();
      case Value::Kind::kBytes:
        break;
    }
    if (const TypeInfo* info = FindType(f.Type()); info == nullptr || !info->text) {
      throw Error::TypeMismatch(source_);
    }
    const std::string_view text = Trimmed(v.bytes());
    double d = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), d);
    if (text.empty() || end != text.data() + text.size()) throw Error::TypeMismatch(source_);
    if (ec == std::errc::result_out_of_range) throw Error::Overflow(source_);
    if (ec != std::errc()) throw Error::TypeMismatch(source_);
    return d;
  } catch (const Error& e) {
    throw InField(e, field);
  }
}

}  // namespace quarnel::dataapi
