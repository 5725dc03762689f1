#include "tools/adtgdump/DumpJson.h"

#include "platform/recordset/FixedValues.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

namespace quarnel::adtgdump {
namespace {

using nlohmann::ordered_json;
using D = DataTypeEnum;

std::string Hex(std::string_view bytes) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string out;
  out.reserve(bytes.size() * 2);
  for (char c : bytes) {
    out.push_back(kDigits[static_cast<uint8_t>(c) >> 4]);
    out.push_back(kDigits[static_cast<uint8_t>(c) & 15]);
  }
  return out;
}

template <typename T>
T Load(std::string_view b, size_t at) {
  T v;
  std::memcpy(&v, b.data() + at, sizeof v);
  return v;
}

std::string Format(const char* fmt, auto... args) {
  char buf[64];
  std::snprintf(buf, sizeof buf, fmt, args...);
  return buf;
}

// Days since 1970-01-01 to a civil date (proleptic Gregorian).
void CivilFromDays(int64_t z, int64_t& y, unsigned& m, unsigned& d) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  y = static_cast<int64_t>(yoe) + era * 400;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  d = doy - (153 * mp + 2) / 5 + 1;
  m = mp < 10 ? mp + 3 : mp - 9;
  if (m <= 2) ++y;
}

std::string DateTimeText(int64_t seconds_since_1970) {
  int64_t days = seconds_since_1970 / 86400;
  int64_t secs = seconds_since_1970 % 86400;
  if (secs < 0) {
    secs += 86400;
    --days;
  }
  int64_t y;
  unsigned m, d;
  CivilFromDays(days, y, m, d);
  return Format("%04lld-%02u-%02u %02lld:%02lld:%02lld", static_cast<long long>(y), m, d,
                static_cast<long long>(secs / 3600), static_cast<long long>(secs / 60 % 60),
                static_cast<long long>(secs % 60));
}

// A little-endian unsigned integer of any width, in decimal.
std::string BigDecimal(std::string_view le) {
  std::string digits;
  std::string n(le);
  for (int guard = 0; guard < 64; ++guard) {
    bool zero = true;
    unsigned rem = 0;
    for (size_t i = n.size(); i-- > 0;) {
      const unsigned cur = (rem << 8) | static_cast<uint8_t>(n[i]);
      n[i] = static_cast<char>(cur / 10);
      rem = cur % 10;
      if (n[i]) zero = false;
    }
    digits.insert(digits.begin(), static_cast<char>('0' + rem));
    if (zero) break;
  }
  return digits;
}

std::string WithScale(std::string digits, int scale, bool negative) {
  if (scale > 0) {
    if (digits.size() <= static_cast<size_t>(scale)) {
      digits.insert(0, static_cast<size_t>(scale) - digits.size() + 1, '0');
    }
    digits.insert(digits.size() - static_cast<size_t>(scale), ".");
  }
  return negative ? "-" + digits : digits;
}

// Fixed-size values that are not plain numbers, as readable text.
std::string FixedText(D type, std::string_view b) {
  switch (type) {
    case D::adGUID:
      return Format("{%08X-%04X-%04X-", Load<uint32_t>(b, 0), Load<uint16_t>(b, 4),
                    Load<uint16_t>(b, 6)) +
             [&] {
               std::string s;
               for (int i = 8; i < 16; ++i) {
                 s += Format("%02X", static_cast<uint8_t>(b[i]));
                 if (i == 9) s += "-";
               }
               return s + "}";
             }();
    case D::adDate: {
      // Days since 1899-12-30; the fraction is the time of day, counted away from zero.
      const double v = Load<double>(b, 0);
      if (!std::isfinite(v) || std::fabs(v) > 3e6) return Format("%g", v);
      const double whole = std::trunc(v);
      const int64_t secs = std::llround(std::fabs(v - whole) * 86400.0);
      return DateTimeText((static_cast<int64_t>(whole) - 25569) * 86400 + secs);
    }
    case D::adDBDate:
      return Format("%04d-%02u-%02u", Load<int16_t>(b, 0), Load<uint16_t>(b, 2),
                    Load<uint16_t>(b, 4));
    case D::adDBTime:
      return Format("%02u:%02u:%02u", Load<uint16_t>(b, 0), Load<uint16_t>(b, 2),
                    Load<uint16_t>(b, 4));
    case D::adDBTimeStamp: {
      std::string s = Format("%04d-%02u-%02u %02u:%02u:%02u", Load<int16_t>(b, 0),
                             Load<uint16_t>(b, 2), Load<uint16_t>(b, 4), Load<uint16_t>(b, 6),
                             Load<uint16_t>(b, 8), Load<uint16_t>(b, 10));
      const uint32_t ns = Load<uint32_t>(b, 12);
      if (ns) s += Format(".%09u", ns);
      return s;
    }
    case D::adFileTime: {
      const uint64_t ticks = Load<uint64_t>(b, 0);  // 100 ns since 1601-01-01
      return DateTimeText(static_cast<int64_t>(ticks / 10000000) - 11644473600LL);
    }
    case D::adDecimal:  // reserved(2) scale sign high32 low64
      return WithScale(BigDecimal(std::string(b.substr(8, 8)) + std::string(b.substr(4, 4))),
                       static_cast<uint8_t>(b[2]), (static_cast<uint8_t>(b[3]) & 0x80) != 0);
    case D::adNumeric:  // precision scale sign(1 = positive) value(16)
      return WithScale(BigDecimal(b.substr(3, 16)), static_cast<int8_t>(b[1]), b[2] == 0);
    default:
      return Hex(b);
  }
}

}  // namespace

const char* StatusName(adtg::RowStatus s) {
  switch (s) {
    case adtg::RowStatus::kUnchanged:
      return "unchanged";
    case adtg::RowStatus::kInserted:
      return "inserted";
    case adtg::RowStatus::kModified:
      return "modified";
    case adtg::RowStatus::kDeleted:
      return "deleted";
  }
  return "";
}

ordered_json CellJson(const RecordTable& table, size_t row, size_t col,
                      const DumpOptions& options) {
  const RecordColumn& c = table.Column(col);
  if (c.State(row) != CellState::kValue) return nullptr;
  const FieldDef& f = table.Field(col);
  const TypeInfo& info = f.info();
  if (info.storage == StorageKind::kInt32) return c.Int32(row);
  const std::string_view bytes = c.Bytes(row);
  if (options.hex && !(info.storage == StorageKind::kFixed)) return Hex(bytes);
  if (info.storage == StorageKind::kVariable) {
    if (!info.text) return Hex(bytes);
    if (info.wide) return Utf16LeBytesToUtf8(bytes);
    return options.code_page.ToUtf8(bytes);
  }
  const Value v = DecodeFixed(f.type, bytes);
  switch (v.kind()) {
    case Value::Kind::kInteger:
      return v.integer();
    case Value::Kind::kDouble:
      if (std::isfinite(v.real())) return v.real();
      return options.hex ? Hex(bytes) : Format("%g", v.real());
    default:
      return options.hex ? Hex(bytes) : FixedText(f.type, bytes);
  }
}

ordered_json DumpJson(const adtg::AdtgImage& image, const DumpOptions& options) {
  const RecordTable& t = image.table;
  ordered_json doc;
  ordered_json& fields = doc["fields"] = ordered_json::array();
  for (size_t c = 0; c < t.FieldCount(); ++c) {
    const FieldDef& f = t.Field(c);
    fields.push_back({{"name", f.name},
                      {"type", std::string(TypeName(f.type))},
                      {"definedSize", f.defined_size},
                      {"flags", f.flags}});
  }
  ordered_json& rows = doc["rows"] = ordered_json::array();
  for (size_t r = 0; r < t.RowCount(); ++r) {
    ordered_json values = ordered_json::array();
    for (size_t c = 0; c < t.FieldCount(); ++c) values.push_back(CellJson(t, r, c, options));
    rows.push_back({{"status", StatusName(image.status[r])}, {"values", std::move(values)}});
  }
  return doc;
}

}  // namespace quarnel::adtgdump
