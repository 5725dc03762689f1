#include "platform/recordset/FieldTypes.h"

#include <array>

namespace quarnel {
namespace {

using D = DataTypeEnum;
using S = StorageKind;

constexpr int32_t kFixedFlags = adFldUpdatable | adFldFixed;  // 0x14
constexpr int32_t kVariableFlags = adFldUpdatable;            // 0x04
constexpr int32_t kLongFlags = adFldUpdatable | adFldLong;    // 0x84

// Storage type numbers of a saved table.
constexpr uint16_t kDbI2 = 2, kDbI4 = 3, kDbR4 = 4, kDbR8 = 5, kDbCy = 6, kDbDate = 7, kDbBool = 11,
                   kDbDecimal = 14, kDbI1 = 16, kDbUi1 = 17, kDbUi2 = 18, kDbUi4 = 19, kDbI8 = 20,
                   kDbUi8 = 21, kDbFileTime = 64, kDbGuid = 72, kDbBytes = 128, kDbStr = 129,
                   kDbWStr = 130, kDbNumeric = 131, kDbDbDate = 133, kDbDbTime = 134,
                   kDbDbTimeStamp = 135;

constexpr std::array<TypeInfo, 29> kTypes{{
    {D::adInteger, "adInteger", kDbI4, 4, S::kInt32, false, false, kFixedFlags},
    {D::adSmallInt, "adSmallInt", kDbI2, 2, S::kFixed, false, false, kFixedFlags},
    {D::adTinyInt, "adTinyInt", kDbI1, 1, S::kFixed, false, false, kFixedFlags},
    {D::adBigInt, "adBigInt", kDbI8, 8, S::kFixed, false, false, kFixedFlags},
    {D::adUnsignedTinyInt, "adUnsignedTinyInt", kDbUi1, 1, S::kFixed, false, false, kFixedFlags},
    {D::adUnsignedSmallInt, "adUnsignedSmallInt", kDbUi2, 2, S::kFixed, false, false, kFixedFlags},
    {D::adUnsignedInt, "adUnsignedInt", kDbUi4, 4, S::kFixed, false, false, kFixedFlags},
    {D::adUnsignedBigInt, "adUnsignedBigInt", kDbUi8, 8, S::kFixed, false, false, kFixedFlags},
    {D::adSingle, "adSingle", kDbR4, 4, S::kFixed, false, false, kFixedFlags},
    {D::adDouble, "adDouble", kDbR8, 8, S::kFixed, false, false, kFixedFlags},
    {D::adCurrency, "adCurrency", kDbCy, 8, S::kFixed, false, false, kFixedFlags},
    {D::adDate, "adDate", kDbDate, 8, S::kFixed, false, false, kFixedFlags},
    {D::adBoolean, "adBoolean", kDbBool, 2, S::kFixed, false, false, kFixedFlags},
    {D::adDecimal, "adDecimal", kDbDecimal, 16, S::kFixed, false, false, kFixedFlags},
    {D::adNumeric, "adNumeric", kDbNumeric, 19, S::kFixed, false, false, kFixedFlags},
    {D::adFileTime, "adFileTime", kDbFileTime, 8, S::kFixed, false, false, kFixedFlags},
    {D::adGUID, "adGUID", kDbGuid, 16, S::kFixed, false, false, kFixedFlags},
    {D::adDBDate, "adDBDate", kDbDbDate, 6, S::kFixed, false, false, kFixedFlags},
    {D::adDBTime, "adDBTime", kDbDbTime, 6, S::kFixed, false, false, kFixedFlags},
    {D::adDBTimeStamp, "adDBTimeStamp", kDbDbTimeStamp, 16, S::kFixed, false, false, kFixedFlags},
    {D::adChar, "adChar", kDbStr, 0, S::kVariable, false, true, kFixedFlags},
    {D::adVarChar, "adVarChar", kDbStr, 0, S::kVariable, false, true, kVariableFlags},
    {D::adLongVarChar, "adLongVarChar", kDbStr, 0, S::kVariable, false, true, kLongFlags},
    {D::adWChar, "adWChar", kDbWStr, 0, S::kVariable, true, true, kFixedFlags},
    {D::adVarWChar, "adVarWChar", kDbWStr, 0, S::kVariable, true, true, kVariableFlags},
    {D::adLongVarWChar, "adLongVarWChar", kDbWStr, 0, S::kVariable, true, true, kLongFlags},
    {D::adBinary, "adBinary", kDbBytes, 0, S::kVariable, false, false, kFixedFlags},
    {D::adVarBinary, "adVarBinary", kDbBytes, 0, S::kVariable, false, false, kVariableFlags},
    {D::adLongVarBinary, "adLongVarBinary", kDbBytes, 0, S::kVariable, false, false, kLongFlags},
}};

}  // namespace

const TypeInfo* FindType(DataTypeEnum type) {
  for (const TypeInfo& t : kTypes) {
    if (t.type == type) return &t;
  }
  return nullptr;
}

std::optional<DataTypeEnum> TypeFromStorage(uint16_t db_type, uint32_t flags) {
  auto pick = [flags](D fixed, D variable, D long_type) {
    if (flags & adFldLong) return long_type;
    if (flags & adFldFixed) return fixed;
    return variable;
  };
  switch (db_type) {
    case kDbStr:
      return pick(D::adChar, D::adVarChar, D::adLongVarChar);
    case kDbWStr:
      return pick(D::adWChar, D::adVarWChar, D::adLongVarWChar);
    case kDbBytes:
      return pick(D::adBinary, D::adVarBinary, D::adLongVarBinary);
    default:
      break;
  }
  for (const TypeInfo& t : kTypes) {
    if (t.db_type == db_type && t.storage != S::kVariable) return t.type;
  }
  return std::nullopt;
}

std::string_view TypeName(DataTypeEnum type) {
  const TypeInfo* t = FindType(type);
  return t ? t->name : std::string_view{};
}

}  // namespace quarnel
